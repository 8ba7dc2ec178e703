#include "support/platform_fixture.h"

#include "link/console_state.h"
#include "platform/clock.h"
#include "platform/message_box.h"
#include "platform/port_open.h"
#include "platform/process_exit.h"
#include "platform/trace.h"
#include "platform/window_timers.h"

namespace testsupport {

void PlatformFixture::SetUp() {
    resetConsoleState();
    platform::setClock(&clock_);
    platform::setTraceSink([this](std::string_view text) { trace_.append(text); });
    platform::setMessageBoxHandler(
        [this](platform::WindowHandle owner, const std::string& text, const std::string& caption) {
            boxes_.push_back({owner, text, caption});
        });
    platform::setExitHandler([](int status) { throw platform::ProcessExit{status}; });
}

void PlatformFixture::TearDown() {
    resetConsoleState();
    platform::setClock(nullptr);
    platform::setTraceSink({});
    platform::setMessageBoxHandler({});
    platform::setExitHandler({});
    platform::setPortOpener({});
    platform::setWindowTimerBackend({});
    platform::setMainWindow(nullptr);
}

} // namespace testsupport
