#include "platform/clock.h"

#include "platform/real_clock.h"
#include "platform/seams.h"

#include <QCoreApplication>
#include <QEvent>
#include <algorithm>
#include <chrono>
#include <thread>

namespace platform {

namespace {
RealClock& realClock() {
    static RealClock instance;
    return instance;
}
} // namespace

Clock& clock() {
    Clock* replacement = seams().clock;
    return replacement != nullptr ? *replacement : realClock();
}

void setClock(Clock* replacement) {
    seams().clock = replacement;
}

std::int64_t RealClock::nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

std::int64_t RealClock::wallTimeMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

void RealClock::sleepMs(std::int64_t ms) {
    // Sleep in short slices and deliver pending paint requests between them, so a window that was
    // asked to repaint shows its new state while the program waits.
    constexpr std::int64_t kSliceMs = 50;
    const std::int64_t deadline = nowMs() + ms;
    for (std::int64_t left = ms; left > 0; left = deadline - nowMs()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kSliceMs)));
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    }
}

} // namespace platform
