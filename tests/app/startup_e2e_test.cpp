// The configurator's start-up over a real pseudo-terminal against quillon-unitsim: the whole
// program path from the port dialog to the end of the main window, with the machine's serial
// transport and the process's real exit.

#include "app/main_sheet.h"
#include "app/port_dialog.h"
#include "app/program.h"
#include "link/console_state.h"
#include "platform/modal_runner.h"
#include "platform/port_open.h"
#include "support/platform_fixture.h"
#include "support/unitsim_process.h"

#include <QComboBox>
#include <QDialog>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

// The fixture's seams with the machine's clock: the simulator runs in real time.
class StartUpOverPtyTest : public testsupport::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        platform::seams().clock = nullptr;
        // The port dialog is taken as the user leaves it (COM1 unless portChoice_ names another
        // entry); a main window is shown, so its initialisation runs, and closed at once.
        platform::setModalRunner([this](QDialog& dialog) {
            auto* ports = dynamic_cast<CPortDlg*>(&dialog);
            windows_.push_back(ports != nullptr                              ? "port dialog"
                               : dynamic_cast<CMainTab*>(&dialog) != nullptr ? "main sheet"
                                                                             : "mode dialog");
            dialog.show();
            if (ports != nullptr) { // down to portChoice_, with the keys a user would press
                const int target = ports->portCombo->findText(QString::fromStdString(portChoice_));
                while (target > ports->portCombo->currentIndex())
                    QTest::keyClick(ports->portCombo, Qt::Key_Down);
            }
            dialog.hide();
            return int{QDialog::Rejected};
        });
    }
    // Starts the simulator and points COM1 at it.
    void startSimulator(const std::vector<std::string>& args) {
        sim_ = std::make_unique<testsupport::UnitsimProcess>(QUILLON_UNITSIM_PATH, args);
        ASSERT_TRUE(sim_->ready()) << sim_->output();
        ::setenv("QUILLON_COM1", sim_->devicePath().c_str(), 1);
    }

    std::unique_ptr<testsupport::UnitsimProcess> sim_;
    std::string portChoice_;
    Lines windows_;
};

// The simulator's terminal is reported as a USB adapter and chosen in the port dialog: the
// number it gets opens that terminal with the same transport as COM1.
TEST_F(StartUpOverPtyTest, PSideUnitOnAChosenAdapterGivesTheMainSheetAndStatusZero) {
    startSimulator({"--attached", "p"});
    forgetPortDevices();
    const std::string device = sim_->devicePath();
    platform::setPortLister([device] {
        return std::vector<platform::SystemPort>{{"ttyUSB0", device, "FT232R USB UART"}};
    });
    portChoice_ = "ttyUSB0";
    EXPECT_EQ(runConfigurator(), 0);
    EXPECT_EQ(windows_, (Lines{"port dialog", "main sheet"}));
    EXPECT_EQ(g_portNumber, 3);
    EXPECT_EQ(g_portHandle, nullptr) << "the port is closed after the main window";
    // The test's working folder has no profile file.
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption + ": " + boxes[0].text,
              platform::applicationName() + ": Configuration file was not found");
    EXPECT_NE(sim_->log().find("rd 8c70"), std::string::npos) << sim_->log();
}

// However the process ends, the journal's trace is on the disk up to its last line, in a folder of
// its own in the one named, which the run announces. The boxes go to standard error and the
// process ends for real.
struct RunEnd {
    const char* name;
    const char* fault;
    int status;
    const char* traceEnd;
    const char* printedAfter = ""; // after the announcement, on standard error
};

class JournalOverPtyDeathTest : public StartUpOverPtyTest,
                                public ::testing::WithParamInterface<RunEnd> {};

TEST_P(JournalOverPtyDeathTest, TraceFileEndsWithTheRunsLastLines) {
    startSimulator({"--attached", "p", "--fault", GetParam().fault});
    const testsupport::WorkFolder parent;
    ::setenv("QUILLON_JOURNAL_DIR", (parent.path() / "runs").c_str(), 1);
    platform::seams().messageBox = {};
    platform::seams().exit = {};
    // As main() returns, minus exit()'s clean-up (the leak check would count fontconfig's caches).
    EXPECT_EXIT(std::_Exit(runConfigurator()), ::testing::ExitedWithCode(GetParam().status),
                "journal: " + parent.file("runs") + "/[-0-9]+\n" + GetParam().printedAfter);
    ::setenv("QUILLON_JOURNAL_DIR", "off", 1);
    const auto run = std::filesystem::directory_iterator(parent.path() / "runs")->path();
    const std::string trace = testsupport::readFile(run / "trace.txt");
    EXPECT_TRUE(trace.starts_with("\n\r\nL>")) << trace;
    EXPECT_TRUE(trace.ends_with(GetParam().traceEnd)) << trace;
}

INSTANTIATE_TEST_SUITE_P(
    Ends, JournalOverPtyDeathTest,
    ::testing::Values(
        RunEnd{"MainWindowClosed", "no-value=8c41", 0, "8c71 : ae\r\nL>"},
        RunEnd{"NoAnswerFromDevice", "no-value=8c70", kExitNoAnswer, "8c70 not available\r\nL>"},
        // The second command is the read of 8c70, after the quiet side selection.
        RunEnd{"FatalError", "hangup@2", 1, "\r\ncommunication error\r\n\r\nSendCommand failed\r\n",
               ".*Fatal Error: Communication error:"}),
    [](const ::testing::TestParamInfo<RunEnd>& test) { return test.param.name; });

} // namespace
