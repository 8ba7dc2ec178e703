// A COM1 that names something other than a free serial line.

#include "app/process_objects.h"
#include "link/console_state.h"
#include "platform/modal_runner.h"
#include "support/platform_fixture.h"
#include "support/work_folder.h"

#include <QDialog>
#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using PortFromTheUser = testsupport::PlatformFixture;

// The port is not open, so the quiet side selection fails, then the read of 8c70 does: the
// system's reason printed, the fatal box and status 1, without waiting.
TEST_F(PortFromTheUser, PrintsTheSystemErrorThenEndsThroughTheFatalBox) {
    const testsupport::WorkFolder folder(testsupport::WorkFolder::Enter);
    folder.write("unit", "rd 8c70\n");
    platform::setModalRunner([](QDialog&) { return int{QDialog::Rejected}; });
    const std::pair<std::string, int> cases[] = {{folder.file("ttyUSB0"), ENOENT},
                                                 {folder.file("."), EISDIR},
                                                 {folder.file("unit"), ENOTTY}};
    for (const auto& [path, errorCode] : cases) {
        SCOPED_TRACE(path);
        resetConsoleState();
        ::setenv("QUILLON_COM1", path.c_str(), 1);
        std::optional<ProcessObjects> objects(std::in_place);
        ::testing::internal::CaptureStdout();
        EXPECT_EQ(testsupport::exitStatusOf([&] { objects->app.startUp(); }), 1);
        EXPECT_EQ(::testing::internal::GetCapturedStdout(),
                  "ERRORE n.: " + std::to_string(errorCode) + "\n");
        const auto boxes = takeBoxes();
        EXPECT_EQ(boxes.size() == 1 ? boxes[0].caption : "", "Fatal Error");
        EXPECT_EQ(g_portHandle, nullptr);
        EXPECT_EQ(clock_.nowMs(), 0);
        EXPECT_NE(objects->traceWindow.traceText.find("\r\nSendCommand failed\r\n"),
                  std::string::npos);
    }
}

} // namespace
