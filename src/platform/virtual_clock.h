#pragma once

#include "platform/clock.h"

namespace platform {

// A clock that only moves when asked: sleeping advances it at once. Shared by the simulated
// port and the simulator in tests.
class VirtualClock final : public Clock {
public:
    explicit VirtualClock(std::int64_t startMs = 0) : now_(startMs) {}
    std::int64_t nowMs() override { return now_; }
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
