#include "platform/local_time.h"

#include <QDateTime>
#include <chrono>
#include <cstdio>

namespace platform {

int localUtcOffsetMinutes(std::int64_t wallTimeMs) {
    return QDateTime::fromMSecsSinceEpoch(wallTimeMs).offsetFromUtc() / 60;
}

CivilTime civilTimeAt(std::int64_t wallTimeMs, int offsetMinutes) {
    using namespace std::chrono;
    const sys_time<milliseconds> local{milliseconds(wallTimeMs) + minutes(offsetMinutes)};
    const sys_days day = floor<days>(local);
    const year_month_day date{day};
    const hh_mm_ss<milliseconds> time{local - day};
    return {static_cast<int>(date.year()),
            static_cast<int>(static_cast<unsigned>(date.month())),
            static_cast<int>(static_cast<unsigned>(date.day())),
            static_cast<int>(time.hours().count()),
            static_cast<int>(time.minutes().count()),
            static_cast<int>(time.seconds().count()),
            static_cast<int>(time.subseconds().count()),
            offsetMinutes};
}

CivilTime localCivilTime(std::int64_t wallTimeMs) {
    return civilTimeAt(wallTimeMs, localUtcOffsetMinutes(wallTimeMs));
}

std::string fileNameStamp(const CivilTime& t) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d-%02d%02d%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return stamp;
}

} // namespace platform
