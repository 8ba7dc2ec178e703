// The mode dialog offscreen, on the simulated pair with the S unit cabled to the PC (the console
// on it, as start-up leaves it), and on a scripted unit for the failures of its first read.

#include "app/mode_dialog.h"
#include "app/process_objects.h"
#include "link/console_state.h"
#include "res/control_ids.h"
#include "support/command_log.h"
#include "support/scripted_port.h"
#include "support/sim_fixture.h"

#include <QRadioButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

using sim::Side;
namespace ids = res::ids::mode;
using testsupport::concat;
using testsupport::Lines;
using testsupport::receivedCommands;

// "Install 1", "Normal 0" (the button checked and the mode field), "none" when neither or both.
std::string shownMode(const CModeDlg& dialog) {
    const bool normal = dialog.control<QRadioButton>(ids::kNormal)->isChecked();
    const bool install = dialog.control<QRadioButton>(ids::kInstall)->isChecked();
    return (normal == install ? "none "
            : install         ? "Install "
                              : "Normal ") +
           std::to_string(dialog.mode);
}

class ModeDialogTest : public simtest::SimFixture {
protected:
    void TearDown() override {
        dialog_.reset();
        objects_.reset();
        SimFixture::TearDown();
    }

    // Cables the S unit, in the given mode, to the PC; opens the dialog as the main window.
    CModeDlg& open(std::uint8_t sMode, const char* noValueRegister = "") {
        dialog_.reset();
        makePair({}, sim::PairOptions{.attached = Side::S, .sMode = sMode});
        pair_->faults().noValueRegister = noValueRegister;
        trace_.clear();
        dialog_.emplace();
        // Every box belongs to the dialog, and Apply is disabled while it is up.
        whileBoxUp_ = [this](const testsupport::RecordedBox& box) {
            EXPECT_EQ(box.owner, &*dialog_);
            EXPECT_FALSE(dialog_->applyButton->isEnabled());
            timeoutUnderBox_ = g_portHandle->timeouts().readTotalConstant;
        };
        platform::setMainWindow(&*dialog_);
        dialog_->show();
        return *dialog_;
    }
    // On the indicator: a radio button takes clicks on its indicator and label only.
    void clickRadio(int id) {
        QRadioButton* radio = dialog_->control<QRadioButton>(id);
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(4, radio->height() / 2));
    }

    std::optional<ProcessObjects> objects_{std::in_place};
    std::optional<CModeDlg> dialog_;
    std::uint32_t timeoutUnderBox_ = 0; // the port's read time-out while the last box was up
};

TEST_F(ModeDialogTest, OpensOnTheUnitsModeReadsTheTimeoutParameterAndIsTheMainWindow) {
    for (const auto& [unitMode, noValue, expected] :
         {std::tuple{0x01, "", "Install 1"}, std::tuple{0x05, "", "Normal 0"},
          std::tuple{0x11, "", "Normal 0"}, std::tuple{0x01, "c255", "Normal 0"}}) {
        SCOPED_TRACE(unitMode);
        CModeDlg& dialog = open(static_cast<std::uint8_t>(unitMode), noValue);
        EXPECT_EQ(shownMode(dialog), expected);
        EXPECT_EQ(receivedCommands(*pair_), (Lines{"S:rd c255", "S:rd 8d3b", "S:rd 8d3a"}));
        EXPECT_EQ(theApp()->mainWndHandle, &dialog);
        dialog_.reset();
        EXPECT_EQ(theApp()->mainWndHandle, nullptr);
    }
}

// The radio buttons send nothing. Each Apply repeats the whole sequence after the unit type
// read; the unit comes back from its restart (6 s later, past the normal time-out) in the mode
// written, and the read time-out is 4000 ms again, whatever it was before.
TEST_F(ModeDialogTest, EachApplyWritesTheChosenModeAndRestartsTheUnit) {
    const Lines installApply{"S:rd 8c70",    "S:or 8d3b 0b", "S:or 8d3a b8", "S:wr 8d00 a6",
                             "S:wr c255 01", "S:wr 8d00 00", "S:or 8c00 20"};
    const Lines normalApply{"S:rd 8c70", "S:wr 8d00 a6", "S:wr c255 05", "S:wr 8d00 00",
                            "S:or 8c00 20"};
    for (const auto& [fromMode, chosenId, commands, toMode] :
         {std::tuple{0x05, ids::kInstall, installApply, 0x01},
          std::tuple{0x01, ids::kNormal, normalApply, 0x05}}) {
        SCOPED_TRACE(toMode);
        CModeDlg& dialog = open(static_cast<std::uint8_t>(fromMode));
        const int otherId = ids::kInstall + ids::kNormal - chosenId;
        for (int id : {chosenId, otherId, chosenId})
            clickRadio(id);
        EXPECT_EQ(shownMode(dialog), toMode == 0x01 ? "Install 1" : "Normal 0");
        EXPECT_EQ(pair_->commandLog().size(), 3u); // the reads at the opening
        pair_->clearCommandLog();
        link_.SetReadTimeout(1234);
        const std::int64_t startMs = clock_.nowMs();
        QTest::mouseClick(dialog.applyButton, Qt::LeftButton);
        QTest::keyClick(&dialog, Qt::Key_Return); // Apply is the default button
        EXPECT_EQ(receivedCommands(*pair_), concat({commands, commands}));
        EXPECT_EQ(pair_->restartCount(Side::S), 2);
        EXPECT_GE(clock_.nowMs() - startMs, 2 * 6000);
        EXPECT_EQ(pair_->mode(Side::S), toMode);
        EXPECT_EQ(g_portHandle->timeouts().readTotalConstant, 4000u);
        EXPECT_EQ(takeBoxTexts(), Lines(2, "      Done"));
        EXPECT_TRUE(dialog.applyButton->isEnabled());
        EXPECT_TRUE(dialog.isVisible());
    }
}

TEST_F(ModeDialogTest, AUnitSilentAfterItsRestartEndsTheProgramUnderTheLongTimeout) {
    CModeDlg& dialog = open(0x05);
    pair_->onCommand([this](const sim::LoggedCommand& command) {
        pair_->faults().silent = command.text == "or 8c00 20";
    });
    const std::int64_t startMs = clock_.nowMs();
    // Called directly: the end of the process must not unwind through the window system.
    EXPECT_EQ(testsupport::exitStatusOf([&] { dialog.OnOK(); }), 1);
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption + ": " + boxes[0].text,
              "Fatal Error: Communication error:\nthe program will be closed\n"
              "Verify serial connection and restart the program");
    EXPECT_EQ(timeoutUnderBox_, 20000u); // the process ends under the long time-out
    EXPECT_EQ(g_portHandle, nullptr);
    EXPECT_GE(clock_.nowMs() - startMs, 20010); // the echo awaited for the long time-out
}

// The first read reports its own failures and the dialog opens all the same: after the box the
// scripted unit answers the timeout parameter reads, and no fatal path is taken.
using ModeDialogFirstReadTest = testsupport::PlatformFixture;

TEST_F(ModeDialogFirstReadTest, ReportsItsFailureAndOpensAnyway) {
    for (const auto& [sendFails, partialReply, expectedBox, expectedMode] :
         {std::tuple{true, "", "errore di SendCommand", "Normal 0"},
          std::tuple{false, "\r\nc255 : 01\r\n", "errore di ReadResult", "Install 1"},
          std::tuple{false, "", "errore di ReadResult", "Normal 0"}}) {
        SCOPED_TRACE(expectedBox);
        testsupport::ScriptedPort port(clock_);
        g_portHandle = port.handle();
        port.setEcho(true);
        port.setWriteFails(sendFails);
        port.queue(partialReply);
        CModeDlg dialog;
        whileBoxUp_ = [&](const testsupport::RecordedBox& box) {
            EXPECT_EQ(box.owner, &dialog);
            EXPECT_TRUE(dialog.applyButton->isEnabled());
            port.setWriteFails(false);
            port.queue("\r\n8d3b : 0b\r\nL>\r\n8d3a : b8\r\nL>");
        };
        dialog.ensureInitialized();
        EXPECT_EQ(takeBoxTexts(), Lines{expectedBox});
        EXPECT_EQ(shownMode(dialog), expectedMode);
        EXPECT_TRUE(trace_.ends_with("8d3a : b8\r\nL>")); // every answer read
        g_portHandle.reset();
    }
}

} // namespace
