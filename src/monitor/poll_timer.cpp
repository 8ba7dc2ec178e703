#include "monitor/poll_timer.h"

#include "link/console_state.h"
#include "platform/message_box.h"
#include "platform/window_timers.h"

namespace monitor {

void startPollTimer(platform::WindowHandle page) {
    g_pollTimerId = platform::setWindowTimer(page, kPollTimerId, kPollPeriodMs);
    if (g_pollTimerId != kPollTimerId)
        platform::messageBox(page, "Failed to create Timer");
}

void killPollTimer(platform::WindowHandle page) {
    if (g_pollTimerId == kPollTimerId)
        platform::killWindowTimer(page, kPollTimerId);
}

} // namespace monitor
