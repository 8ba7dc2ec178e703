// The journal of a whole run over a scripted unit: however the run ends, trace.txt holds the
// trace byte for byte, as Save... would write it, up to its last line.
#include "app/main_sheet.h"
#include "app/program.h"
#include "platform/modal_runner.h"
#include "platform/port_open.h"
#include "platform/trace.h"
#include "support/platform_fixture.h"
#include "support/scripted_port.h"
#include "support/work_folder.h"

#include <QDialog>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

struct RunEnd {
    const char* name;
    const char* unit; // what the unit sends after the side query's prompt
    bool hangUp;      // the port then fails
    int status;
    std::vector<std::string> boxes;
    const char* traceEnd;
};

class JournalOfARun : public testsupport::PlatformFixture,
                      public ::testing::WithParamInterface<RunEnd> {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        ::setenv("QUILLON_JOURNAL_DIR", parent_.path().c_str(), 1);
        port_.setEcho(true);
        platform::setPortOpener([this](int) { return platform::OpenResult{port_.handle()}; });
        platform::setModalRunner([](QDialog& dialog) { // shown, so it opens, and closed at once
            dialog.show();
            dialog.hide();
            return int{QDialog::Rejected};
        });
    }
    void TearDown() override {
        ::setenv("QUILLON_JOURNAL_DIR", "off", 1);
        PlatformFixture::TearDown();
    }

    testsupport::WorkFolder parent_;
    testsupport::ScriptedPort port_{clock_};
};

TEST_P(JournalOfARun, TraceFileHoldsTheWholeTrace) {
    port_.queue(std::string("\r\nL>") + GetParam().unit);
    if (GetParam().hangUp)
        port_.queueFailure();
    platform::TraceCapture trace;
    int status = -1;
    if (const std::optional<int> exited =
            testsupport::exitStatusOf([&] { status = runConfigurator(); }))
        status = *exited;
    EXPECT_EQ(status, GetParam().status);
    EXPECT_EQ(takeBoxTexts(), GetParam().boxes);
    ASSERT_EQ(std::distance(fs::directory_iterator(parent_.path()), fs::directory_iterator()), 1);
    const fs::path run = fs::directory_iterator(parent_.path())->path();
    const std::string written = testsupport::readFile(run / "trace.txt");
    EXPECT_EQ(written, trace.text());
    EXPECT_TRUE(written.ends_with(GetParam().traceEnd)) << written;
}

INSTANTIATE_TEST_SUITE_P(
    Ends, JournalOfARun,
    ::testing::Values(
        RunEnd{"MainWindowClosed",
               "\r\n8c70 : ef\r\nL>\r\n8c40 : 54\r\nL>\r\n8c41 : 68\r\nL>\r\n8c71 : ae\r\nL>",
               false,
               0,
               {"Configuration file was not found"},
               "8c71 : ae\r\nL>"},
        RunEnd{"NoAnswerFromDevice",
               "\r\n8c70 :\r\nL>",
               false,
               kExitNoAnswer,
               {"No answer from device"},
               "8c70 :\r\nL>"},
        RunEnd{"FatalError",
               "",
               true,
               1,
               {"Communication error:\nthe program will be closed\nVerify serial connection and "
                "restart the program"},
               "\r\ncommunication error\r\n\r\nReadResult failed\r\n"}),
    [](const ::testing::TestParamInfo<RunEnd>& test) { return test.param.name; });

} // namespace
