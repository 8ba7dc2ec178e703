#pragma once

#include "platform/message_box.h"
#include "platform/window_timers.h"

#include <cstdio>
#include <string>

// For the benchmarks that tick the status pages by hand: window timers that start and stop but
// never fire, and message boxes written to standard error instead of shown.
inline void installHeadlessSeams() {
    platform::setWindowTimerBackend(
        {[](platform::WindowHandle, unsigned id, unsigned) { return id; },
         [](platform::WindowHandle, unsigned) { return true; }});
    platform::setMessageBoxHandler(
        [](platform::WindowHandle, const std::string& text, const std::string& caption) {
            std::fprintf(stderr, "box [%s] %s\n", caption.c_str(), text.c_str());
        });
}
