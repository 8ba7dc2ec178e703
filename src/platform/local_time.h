#pragma once

#include <cstdint>

namespace platform {

// The offset of the computer's local time from UTC, in minutes, at the given wall time (ms since
// 1970-01-01 UTC); it changes with daylight saving time.
int localUtcOffsetMinutes(std::int64_t wallTimeMs);

} // namespace platform
