#pragma once

#include <cstdint>
#include <string>

namespace platform {

// The offset of the computer's local time from UTC, in minutes, at the given wall time (ms since
// 1970-01-01 UTC); it changes with daylight saving time.
int localUtcOffsetMinutes(std::int64_t wallTimeMs);

// A wall time as a calendar date and clock time at a fixed offset from UTC.
struct CivilTime {
    int year = 1970;
    int month = 1; // 1..12
    int day = 1;   // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int offsetMinutes = 0; // east of UTC
};

// Pure arithmetic, no time-zone lookup: the caller gives the offset (tests fix it; the program
// asks localUtcOffsetMinutes).
CivilTime civilTimeAt(std::int64_t wallTimeMs, int offsetMinutes);

// The wall time as the computer's local time.
CivilTime localCivilTime(std::int64_t wallTimeMs);

// The time to the second as file names carry it: "2026-03-01-091412".
std::string fileNameStamp(const CivilTime& t);

} // namespace platform
