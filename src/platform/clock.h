#pragma once

#include <cstdint>

namespace platform {

// Every wait of the program goes through the process-wide clock, so tests can replace it with a
// virtual one and run hours of unit behaviour in milliseconds.
class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic milliseconds since an arbitrary origin.
    virtual std::int64_t nowMs() = 0;
    // Blocks the calling thread for the given time.
    virtual void sleepMs(std::int64_t ms) = 0;
    // Wall-clock milliseconds since 1970-01-01 UTC, for the time stamps of records and reports.
    virtual std::int64_t wallTimeMs() = 0;
};

// The clock in force: the real one unless a test installed another.
Clock& clock();
// Installs a clock (not owned); nullptr restores the real clock.
void setClock(Clock* replacement);

// Convenience for the program's own pauses ("the whole program waits").
inline void sleepMs(std::int64_t ms) {
    clock().sleepMs(ms);
}

inline std::int64_t wallTimeMs() {
    return clock().wallTimeMs();
}

} // namespace platform
