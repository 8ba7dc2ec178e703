#pragma once

#include "platform/clock.h"

namespace platform {

// A clock that only moves when asked: sleeping advances it at once. Shared by the simulated
// port and the simulator in tests. Its wall time starts at kEpochMs (2026-03-01 08:00:00 UTC) and
// moves with it, so time stamps in tests are repeatable.
class VirtualClock final : public Clock {
public:
    static constexpr std::int64_t kEpochMs = 1772352000000;

    explicit VirtualClock(std::int64_t startMs = 0) : now_(startMs) {}
    std::int64_t nowMs() override { return now_; }
    std::int64_t wallTimeMs() override { return kEpochMs + now_; }
    void sleepMs(std::int64_t ms) override {
        if (ms > 0)
            slept_ += ms;
        advance(ms);
    }
    void advance(std::int64_t ms) {
        if (ms > 0)
            now_ += ms;
    }
    void advanceTo(std::int64_t ms) {
        if (ms > now_)
            now_ = ms;
    }
    // Total virtual time spent sleeping (not counting other advances) since construction.
    std::int64_t sleptMs() const { return slept_; }

private:
    std::int64_t now_;
    std::int64_t slept_ = 0;
};

} // namespace platform
