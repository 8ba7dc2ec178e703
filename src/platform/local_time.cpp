#include "platform/local_time.h"

#include <QDateTime>

namespace platform {

int localUtcOffsetMinutes(std::int64_t wallTimeMs) {
    return QDateTime::fromMSecsSinceEpoch(wallTimeMs).offsetFromUtc() / 60;
}

} // namespace platform
