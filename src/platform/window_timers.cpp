#include "platform/window_timers.h"

#include "platform/seams.h"

namespace platform {

void setWindowTimerBackend(WindowTimerBackend backend) {
    seams().windowTimers = std::move(backend);
}

unsigned setWindowTimer(WindowHandle window, unsigned id, unsigned periodMs) {
    const WindowTimerBackend& backend = seams().windowTimers;
    return backend.set ? backend.set(window, id, periodMs) : 0;
}

bool killWindowTimer(WindowHandle window, unsigned id) {
    const WindowTimerBackend& backend = seams().windowTimers;
    return backend.kill ? backend.kill(window, id) : false;
}

} // namespace platform
