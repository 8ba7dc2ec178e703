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
    void TearDown() override {
        ::unsetenv("QUILLON_COM1");
        PlatformFixture::TearDown();
    }
    // Every box with its caption.
    Lines boxes() {
        Lines shown;
        for (const testsupport::RecordedBox& box : takeBoxes())
            shown.push_back(box.caption + ": " + box.text);
        return shown;
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
    ::unsetenv("QUILLON_COM1");
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
    EXPECT_EQ(boxes(), Lines{platform::applicationName() + ": Configuration file was not found"});
    EXPECT_NE(sim_->log().find("rd 8c70"), std::string::npos) << sim_->log();
}

using StartUpOverPtyDeathTest = StartUpOverPtyTest;

// The second command is the read of 8c70, after the quiet side selection.
TEST_F(StartUpOverPtyDeathTest, HangUpShowsTheFatalBoxAndExitsWithStatusOne) {
    startSimulator({"--attached", "p", "--fault", "hangup@2"});
    // The box goes to standard error, where the test sees it, and the process ends for real.
    platform::seams().messageBox = {};
    platform::seams().exit = {};
    EXPECT_EXIT(runConfigurator(), ::testing::ExitedWithCode(1),
                "Fatal Error: Communication error:");
}

// The process's real end flushes the journal first: its trace ends with the failure lines.
TEST_F(StartUpOverPtyDeathTest, HangUpEndsTheJournalsTraceWithTheFailureLines) {
    startSimulator({"--attached", "p", "--fault", "hangup@2"});
    const testsupport::WorkFolder parent;
    ::setenv("QUILLON_JOURNAL_DIR", parent.path().c_str(), 1);
    platform::seams().messageBox = {};
    platform::seams().exit = {};
    EXPECT_EXIT(runConfigurator(), ::testing::ExitedWithCode(1), "journal: .*\nFatal Error:");
    ::setenv("QUILLON_JOURNAL_DIR", "off", 1);
    const auto run = std::filesystem::directory_iterator(parent.path())->path();
    const std::string trace = testsupport::readFile(run / "trace.txt");
    EXPECT_EQ(trace, "\n\r\nL>\r\ncommunication error\r\n\r\nSendCommand failed\r\n");
}

} // namespace
