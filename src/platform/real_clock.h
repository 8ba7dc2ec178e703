#pragma once

#include "platform/clock.h"

namespace platform {

// Steady clock of the machine. Sleeping keeps the windows painted (paint requests only: no user
// input and no timer events are processed meanwhile, so nothing re-enters the console).
class RealClock final : public Clock {
public:
    std::int64_t nowMs() override;
    void sleepMs(std::int64_t ms) override;
    std::int64_t wallTimeMs() override;
};

} // namespace platform
