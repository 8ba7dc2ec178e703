// The mode dialog offscreen, against the simulated pair with the S unit cabled to the PC (the
// console on it, as start-up leaves it), and against a scripted unit for the failures of its
// first read.

#include "app/process_objects.h"
#include "link/console_state.h"
#include "platform/message_box.h"
#include "platform/process_exit.h"
#include "procedures/mode_dialog.h"
#include "procedures/procedure_test_support.h"
#include "support/scripted_port.h"
#include "support/sim_fixture.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace {

using proctest::containsInOrder;
using proctest::PrintTo;
using sim::Side;
using Lines = std::vector<std::string>;

const Lines kInitialReads{"S:rd c255", "S:rd 8d3b", "S:rd 8d3a"};
const Lines kInstallApply{"S:rd 8c70",    "S:or 8d3b 0b", "S:or 8d3a b8", "S:wr 8d00 a6",
                          "S:wr c255 01", "S:wr 8d00 00", "S:or 8c00 20"};
const Lines kNormalApply{"S:rd 8c70", "S:wr 8d00 a6", "S:wr c255 05", "S:wr 8d00 00",
                         "S:or 8c00 20"};
constexpr const char* kFatalText =
    "Communication error:\nthe program will be closed\nVerify serial connection and restart the "
    "program";

bool isChecked(const CModeDlg& dialog, int id) {
    return dialog.control<QRadioButton>(id)->isChecked();
}

class ModeDialogTest : public simtest::SimFixture {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        objects_.emplace();
        attachS(0x05);
    }
    void TearDown() override {
        dialog_.reset();
        objects_.reset();
        SimFixture::TearDown();
    }

    // A pair whose S unit, in the given mode, is cabled to the PC.
    void attachS(std::uint8_t sMode) {
        makePair({}, sim::PairOptions{.attached = Side::S, .sMode = sMode});
    }

    // Makes the dialog, designated as the main window as start-up does, and shows it, which
    // runs its initialisation.
    CModeDlg& open() {
        dialog_.emplace();
        platform::setMainWindow(&*dialog_);
        dialog_->show();
        return *dialog_;
    }

    // Records what the box showed, then lets the test act while it is up.
    void onBox(std::function<void(const std::string& text)> action) {
        platform::setMessageBoxHandler([this, action](platform::WindowHandle owner,
                                                      const std::string& text,
                                                      const std::string& caption) {
            boxes_.push_back({owner, text, caption});
            action(text);
        });
    }

    void clickButton(int id) {
        QTest::mouseClick(dialog_->control<QPushButton>(id), Qt::LeftButton);
    }
    // On the indicator: a radio button takes clicks on its indicator and label only.
    void clickRadio(int id) {
        QRadioButton* radio = dialog_->control<QRadioButton>(id);
        QTest::mouseClick(radio, Qt::LeftButton, {}, QPoint(4, radio->height() / 2));
    }

    Lines log() const { return proctest::logLines(*pair_); }
    platform::WindowHandle mainWndHandle() const { return theApp()->mainWndHandle; }

    std::optional<ProcessObjects> objects_;
    std::optional<CModeDlg> dialog_;
};

// --- Initialisation ---------------------------------------------------------------------------

struct InitialMode {
    const char* name;
    std::uint8_t unitMode;
    bool noValue;
    int expectedMode;
};

class ModeDialogOpensTest : public ModeDialogTest,
                            public ::testing::WithParamInterface<InitialMode> {};

TEST_P(ModeDialogOpensTest, SelectsTheUnitsModeAndReadsTheTimeoutParameter) {
    const InitialMode& c = GetParam();
    attachS(c.unitMode);
    if (c.noValue)
        pair_->faults().noValueRegister = "c255";

    CModeDlg& dialog = open();

    EXPECT_EQ(dialog.mode, c.expectedMode);
    EXPECT_EQ(isChecked(dialog, CModeDlg::kInstallId), c.expectedMode == 1);
    EXPECT_EQ(isChecked(dialog, CModeDlg::kNormalId), c.expectedMode == 0);
    EXPECT_EQ(log(), kInitialReads);
    EXPECT_TRUE(
        containsInOrder(trace_, {"rd c255\n", "c255", "L>", "\r\nReading timeout parameter\r\n",
                                 "rd 8d3b\n", "8d3b : 0b", "rd 8d3a\n", "8d3a : b8"}))
        << trace_;
    EXPECT_EQ(dialog.applyButton, dialog.control<QPushButton>(CModeDlg::kApplyId));
    EXPECT_EQ(mainWndHandle(), &dialog);
    EXPECT_TRUE(boxes_.empty());
}

INSTANTIATE_TEST_SUITE_P(
    UnitModes, ModeDialogOpensTest,
    ::testing::Values(InitialMode{"Install", 0x01, false, 1}, InitialMode{"Normal", 0x05, false, 0},
                      InitialMode{"Zero", 0x00, false, 0}, InitialMode{"Other", 0x11, false, 0},
                      InitialMode{"NoValue", 0x01, true, 0}),
    [](const ::testing::TestParamInfo<InitialMode>& row) { return row.param.name; });

TEST_F(ModeDialogTest, RadioButtonsSetTheModeAndSendNothing) {
    CModeDlg& dialog = open();
    clickRadio(CModeDlg::kInstallId);
    EXPECT_EQ(dialog.mode, 1);
    clickRadio(CModeDlg::kNormalId);
    EXPECT_EQ(dialog.mode, 0);
    clickRadio(CModeDlg::kInstallId);
    EXPECT_EQ(dialog.mode, 1);
    EXPECT_FALSE(isChecked(dialog, CModeDlg::kNormalId));
    EXPECT_EQ(log(), kInitialReads);
}

TEST_F(ModeDialogTest, EnterOnCloseAndEscapeEndItWithoutApplying) {
    for (bool byEscape : {false, true}) {
        CModeDlg& dialog = open();
        pair_->clearCommandLog();
        if (byEscape) {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        } else {
            dialog.control<QPushButton>(2)->setFocus();
            QTest::keyClick(dialog.control<QPushButton>(2), Qt::Key_Return);
        }
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
        EXPECT_TRUE(log().empty());
    }
}

TEST_F(ModeDialogTest, DestroyingItClearsTheMainWindowHandle) {
    open();
    EXPECT_NE(mainWndHandle(), nullptr);
    dialog_.reset();
    EXPECT_EQ(mainWndHandle(), nullptr);
}

// --- Apply ------------------------------------------------------------------------------------

struct ApplyCase {
    const char* name;
    std::uint8_t unitMode;
    int chosenId;
    bool byEnter;
    Lines expectedCommands;
    std::uint8_t expectedMode;
    Lines expectedTrace;
};

class ModeDialogApplyTest : public ModeDialogTest,
                            public ::testing::WithParamInterface<ApplyCase> {};

TEST_P(ModeDialogApplyTest, WritesTheChosenModeAndRestartsTheUnit) {
    const ApplyCase& c = GetParam();
    attachS(c.unitMode);
    CModeDlg& dialog = open();
    clickRadio(c.chosenId);
    pair_->clearCommandLog();
    std::optional<bool> applyEnabledDuringBox;
    onBox([&](const std::string&) { applyEnabledDuringBox = dialog.applyButton->isEnabled(); });
    const std::int64_t startMs = clock_.nowMs();

    if (c.byEnter)
        QTest::keyClick(&dialog, Qt::Key_Return);
    else
        clickButton(CModeDlg::kApplyId);

    EXPECT_EQ(log(), c.expectedCommands);
    EXPECT_EQ(pair_->restartCount(Side::S), 1);
    // Back from its restart (the prompt came 6 s later, past the normal time-out) and still in
    // the mode written.
    EXPECT_FALSE(pair_->booting(Side::S));
    EXPECT_GE(clock_.nowMs() - startMs, 6000);
    EXPECT_EQ(pair_->mode(Side::S), c.expectedMode);
    EXPECT_EQ(g_portHandle->timeouts().readTotalConstant, 4000u);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "      Done");
    EXPECT_EQ(boxes_[0].caption, platform::applicationName());
    EXPECT_EQ(boxes_[0].owner, &dialog);
    EXPECT_EQ(applyEnabledDuringBox, false);
    EXPECT_TRUE(dialog.applyButton->isEnabled());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(containsInOrder(trace_, c.expectedTrace)) << trace_;
}

const Lines kInstallTrace{"\r\nWriting timeout parameter\r\n",
                          "or 8d3b 0b\n",
                          "or 8d3a b8\n",
                          "\r\nEnabling LWD\r\n",
                          "wr 8d00 a6\n",
                          "wr c255 01\n",
                          "wr 8d00 00\n",
                          "\r\nRestart S Side \r\n",
                          "or 8c00 20\n",
                          "ready"};
const Lines kNormalTrace{"\r\nDisabling LWD\r\n",   "wr 8d00 a6\n", "wr c255 05\n", "wr 8d00 00\n",
                         "\r\nRestart S Side \r\n", "or 8c00 20\n", "ready"};

INSTANTIATE_TEST_SUITE_P(Modes, ModeDialogApplyTest,
                         ::testing::Values(ApplyCase{"Install", 0x05, CModeDlg::kInstallId, false,
                                                     kInstallApply, 0x01, kInstallTrace},
                                           ApplyCase{"Normal", 0x01, CModeDlg::kNormalId, false,
                                                     kNormalApply, 0x05, kNormalTrace},
                                           ApplyCase{"InstallByEnter", 0x05, CModeDlg::kInstallId,
                                                     true, kInstallApply, 0x01, kInstallTrace}),
                         [](const ::testing::TestParamInfo<ApplyCase>& row) {
                             return row.param.name;
                         });

TEST_F(ModeDialogTest, ApplyTwiceRepeatsTheWholeSequence) {
    CModeDlg& dialog = open();
    pair_->clearCommandLog();
    clickButton(CModeDlg::kApplyId);
    clickButton(CModeDlg::kApplyId);
    Lines twice = kNormalApply;
    twice.insert(twice.end(), kNormalApply.begin(), kNormalApply.end());
    EXPECT_EQ(log(), twice);
    EXPECT_EQ(pair_->restartCount(Side::S), 2);
    EXPECT_EQ(boxes_.size(), 2u);
    EXPECT_TRUE(dialog.applyButton->isEnabled());
}

struct RefusedCase {
    const char* name;
    bool cableToP;
    const char* expectedBox;
};

class ModeDialogRefusesTest : public ModeDialogTest,
                              public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(ModeDialogRefusesTest, ApplyStopsAfterTheUnitTypeRead) {
    const RefusedCase& c = GetParam();
    CModeDlg& dialog = open();
    const Side readFrom = c.cableToP ? Side::P : Side::S;
    if (c.cableToP)
        pair_->setAttached(Side::P); // the cable moved to the P unit while the dialog was open
    else
        pair_->faults().noValueRegister = "8c70";
    pair_->clearCommandLog();

    clickButton(CModeDlg::kApplyId);

    EXPECT_EQ(log(), Lines{std::string(1, sim::sideLetter(readFrom)) + ":rd 8c70"});
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, c.expectedBox);
    EXPECT_EQ(boxes_[0].caption, platform::applicationName());
    EXPECT_EQ(boxes_[0].owner, &dialog);
    EXPECT_TRUE(dialog.applyButton->isEnabled());
    EXPECT_EQ(pair_->restartCount(Side::P) + pair_->restartCount(Side::S), 0);
    EXPECT_EQ(pair_->mode(Side::S), 0x05);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ModeDialogRefusesTest,
    ::testing::Values(RefusedCase{"PSideUnit", true,
                                  "S side must be connected to start this procedure"},
                      RefusedCase{"NoValue", false, "No answer from device"}),
    [](const ::testing::TestParamInfo<RefusedCase>& row) { return row.param.name; });

TEST_F(ModeDialogTest, AUnitSilentAfterItsRestartEndsTheProgram) {
    CModeDlg& dialog = open();
    pair_->onCommand([this](const sim::LoggedCommand& command) {
        if (command.text == "or 8c00 20")
            pair_->faults().silent = true;
    });
    std::optional<std::uint32_t> timeoutAtBox;
    std::optional<bool> applyEnabledAtBox;
    onBox([&](const std::string&) {
        timeoutAtBox = g_portHandle->timeouts().readTotalConstant;
        applyEnabledAtBox = dialog.applyButton->isEnabled();
    });
    const std::int64_t startMs = clock_.nowMs();

    try {
        // Called directly: the end of the process must not unwind through the window system.
        dialog.OnOK();
        ADD_FAILURE() << "Apply returned";
    } catch (const platform::ProcessExit& exit) {
        EXPECT_EQ(exit.status, 1);
    }

    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, kFatalText);
    EXPECT_EQ(boxes_[0].caption, "Fatal Error");
    EXPECT_EQ(boxes_[0].owner, &dialog);
    // The process ends under the long time-out: it is never set back.
    EXPECT_EQ(timeoutAtBox, 20000u);
    EXPECT_EQ(applyEnabledAtBox, false);
    EXPECT_EQ(g_portHandle, nullptr);
    // The line feed's echo was awaited for the long time-out.
    EXPECT_GE(clock_.nowMs() - startMs, 20010);
    EXPECT_TRUE(
        containsInOrder(trace_, {"\r\nRestart S Side \r\n", "\r\ncommunication timeout error\r\n",
                                 "\r\nSendWriteCommand failed\r\n"}))
        << trace_;
}

// --- The first read's own failures, on a scripted unit ----------------------------------------

struct FirstReadFailure {
    const char* name;
    bool sendFails;
    const char* partialReply; // what arrives before the unit goes quiet
    const char* expectedBox;
    int expectedMode;
};

class ModeDialogFirstReadTest : public testsupport::PlatformFixture,
                                public ::testing::WithParamInterface<FirstReadFailure> {
protected:
    void TearDown() override {
        g_portHandle.reset();
        PlatformFixture::TearDown();
    }
    testsupport::ScriptedPort port_{clock_};
};

TEST_P(ModeDialogFirstReadTest, ReportsItAndOpensAnyway) {
    const FirstReadFailure& c = GetParam();
    g_portHandle = port_.handle();
    port_.setEcho(true);
    port_.setWriteFails(c.sendFails);
    port_.queue(c.partialReply);
    // Once the box is up the unit answers again, for the timeout parameter reads.
    platform::setMessageBoxHandler(
        [this](platform::WindowHandle owner, const std::string& text, const std::string& caption) {
            boxes_.push_back({owner, text, caption});
            port_.setWriteFails(false);
            port_.queue("\r\n8d3b : 0b\r\nL>");
            port_.queue("\r\n8d3a : b8\r\nL>");
        });

    CModeDlg dialog;
    dialog.ensureInitialized();

    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, c.expectedBox);
    EXPECT_EQ(boxes_[0].caption, platform::applicationName());
    EXPECT_EQ(boxes_[0].owner, &dialog);
    EXPECT_EQ(dialog.mode, c.expectedMode);
    EXPECT_EQ(isChecked(dialog, CModeDlg::kInstallId), c.expectedMode == 1);
    EXPECT_EQ(isChecked(dialog, CModeDlg::kNormalId), c.expectedMode == 0);
    // No fatal path: the initialisation went on to the timeout parameter.
    EXPECT_TRUE(
        containsInOrder(trace_, {"\r\nReading timeout parameter\r\n", "8d3b : 0b", "8d3a : b8"}))
        << trace_;
    EXPECT_TRUE(port_.pendingInput().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ModeDialogFirstReadTest,
    ::testing::Values(FirstReadFailure{"SendFails", true, "", "errore di SendCommand", 0},
                      FirstReadFailure{"ReplyCutAfterInstallValue", false, "\r\nc255 : 01\r\n",
                                       "errore di ReadResult", 1},
                      FirstReadFailure{"ReplyCutBeforeValue", false,
                                       "\r\nc255 :", "errore di ReadResult", 0},
                      FirstReadFailure{"NoReply", false, "", "errore di ReadResult", 0}),
    [](const ::testing::TestParamInfo<FirstReadFailure>& row) { return row.param.name; });

} // namespace
