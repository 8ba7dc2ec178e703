#pragma once

#include "platform/window.h"

// The poll of the status pages: window timer 64 of the visible status page, every 4 s. Both
// pages use the one identifier, and the result of the last start is kept in g_pollTimerId so
// that FatalError can stop the poll before its box.
namespace monitor {

inline constexpr unsigned kPollTimerId = 64;
inline constexpr unsigned kPollPeriodMs = 4000;

// Starts the page's poll timer and keeps the result in g_pollTimerId. When it does not start,
// the user is told "Failed to create Timer" and the page does not poll.
void startPollTimer(platform::WindowHandle page);

// Kills the page's poll timer when the last start succeeded; g_pollTimerId keeps its value.
void killPollTimer(platform::WindowHandle page);

} // namespace monitor
