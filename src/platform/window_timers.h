#pragma once

#include "platform/window.h"

#include <functional>

namespace platform {

// Window timers with caller-chosen identifiers, as the status pages use them: starting timer 64
// returns 64 on success and 0 on failure; killing names the window and the identifier.
// Ticks arrive as the window's WindowTimerTarget::onWindowTimer.
class WindowTimerTarget {
public:
    virtual ~WindowTimerTarget() = default;
    virtual void onWindowTimer(unsigned id) = 0;
};

unsigned setWindowTimer(WindowHandle window, unsigned id, unsigned periodMs);
bool killWindowTimer(WindowHandle window, unsigned id);

// The timers themselves belong to the window part of the platform layer (installWindowSeams);
// tests replace them to drive ticks themselves (or make the start fail).
struct WindowTimerBackend {
    std::function<unsigned(WindowHandle, unsigned id, unsigned periodMs)> set;
    std::function<bool(WindowHandle, unsigned id)> kill;
};
void setWindowTimerBackend(WindowTimerBackend backend);

} // namespace platform
