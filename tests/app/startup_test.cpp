// Start-up offscreen over a scripted unit: the port dialog, the unit's answer to the 8c70 read,
// the main window it leads to, how the process ends, and the Alt key that shows the trace.
#include "app/main_sheet.h"
#include "app/mode_dialog.h"
#include "res/control_ids.h"
#include "app/port_dialog.h"
#include "app/process_objects.h"
#include "link/console_state.h"
#include "platform/message_box.h"
#include "platform/modal_runner.h"
#include "platform/port_open.h"
#include "support/platform_fixture.h"
#include "support/scripted_port.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace {

using Lines = std::vector<std::string>;

class StartUpTest : public testsupport::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        port.setEcho(true);
        platform::setPortOpener([this](int number) {
            openedPorts.push_back(number);
            return platform::OpenResult{port.handle()};
        });
        platform::setModalRunner([this](QDialog& dialog) { return run(dialog); });
        objects.emplace();
    }
    void TearDown() override {
        objects.reset();
        platform::setModalRunner({});
        PlatformFixture::TearDown();
    }

    // The side query's prompt, the 8c70 read, and for a P-side unit the Configuration page's
    // opening reads (actual rates, link state).
    void unitAnswers(const std::string& unitType, bool pSide = false) {
        port.queue("\r\nL>\r\n8c70 : " + unitType + "\r\nL>");
        if (pSide)
            port.queue("\r\n8c40 : 54\r\nL>\r\n8c41 : 68\r\nL>\r\n8c71 : ae\r\nL>");
    }
    // Each modal run shows the window, lets the test act in it ("port", "about", "sheet",
    // "mode"), then ends it with Escape unless the test did.
    int run(QDialog& dialog) {
        const std::string name = dynamic_cast<CPortDlg*>(&dialog)   ? "port"
                                 : dynamic_cast<CMainTab*>(&dialog) ? "sheet"
                                 : dynamic_cast<CModeDlg*>(&dialog) ? "mode"
                                                                    : "about";
        runs.push_back(name);
        dialog.show();
        if (actions.count(name) != 0)
            actions[name](dialog);
        if (dialog.isVisible())
            QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible()) << name << ": the run did not end";
        return dialog.result();
    }
    bool startUp() { return objects->app.startUp(); }
    CDebugDlg& traceWindow() { return objects->traceWindow; }
    static void releaseAlt(QWidget* target, bool autoRepeat = false) {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(target, &release);
    }

    testsupport::ScriptedPort port{clock_};
    std::vector<int> openedPorts;
    Lines runs;
    std::map<std::string, std::function<void(QDialog&)>> actions;
    std::optional<ProcessObjects> objects;
};

// Only a real (not auto-repeated) Alt release in the main window or its children shows the
// trace window, at the top left and without touching its text.
TEST_F(StartUpTest, PSideUnitGetsTheMainSheetWhereAltShowsTheTrace) {
    unitAnswers("ef", true); // every bit but the S side's
    const auto altIgnored = [&](QDialog& dialog) {
        releaseAlt(&dialog);
        EXPECT_FALSE(traceWindow().isVisible());
    };
    QDialog* sheetDialog = nullptr;
    actions["port"] = altIgnored;
    actions["about"] = [&](QDialog& about) {
        EXPECT_EQ(about.parentWidget(), sheetDialog); // owned by its opener while it runs
        altIgnored(about);
    };
    actions["sheet"] = [&](QDialog& dialog) {
        auto& sheet = static_cast<CMainTab&>(dialog);
        sheetDialog = &sheet;
        EXPECT_EQ(objects->app.mainWndHandle, &sheet);
        EXPECT_EQ(platform::mainWindow(), &sheet);
        QWidget* child = sheet.configPage.controls().widget(res::ids::configuration::kUpMinList);
        releaseAlt(&traceWindow());
        showAboutBox(&sheet);
        releaseAlt(child, /*autoRepeat=*/true);
        EXPECT_FALSE(traceWindow().isVisible());
        QTest::keyRelease(child, Qt::Key_Alt);
        EXPECT_TRUE(traceWindow().isVisible());
        EXPECT_EQ(traceWindow().pos(), QPoint(0, 0));
        const std::string text = traceWindow().traceText;
        QTest::keyClick(&traceWindow(), Qt::Key_Escape);
        releaseAlt(&sheet);
        EXPECT_TRUE(traceWindow().isVisible());
        EXPECT_EQ(traceWindow().traceText, text);
        QTest::mouseClick(sheet.button(platform::kIdCancel), Qt::LeftButton);
    };
    EXPECT_TRUE(startUp());
    EXPECT_EQ(runs, (Lines{"port", "sheet", "about"}));
    EXPECT_EQ(objects->aboutBox.parentWidget(), nullptr);
    EXPECT_EQ(openedPorts, std::vector<int>{1});
    EXPECT_EQ(port.written(), "\nrd 8c70\nrd 8c40\nrd 8c41\nrd 8c71\n");
    EXPECT_TRUE(port.closed());
    EXPECT_EQ(objects->app.mainWndHandle, nullptr);
    EXPECT_EQ(platform::mainWindow(), nullptr);
    // The test's working folder has no profile file.
    EXPECT_EQ(takeBoxTexts(), Lines{"Configuration file was not found"});
    EXPECT_EQ(g_fatalErrorsEnabled, 1);
    EXPECT_TRUE(traceWindow().traceText.starts_with("\n\r\nL>rd 8c70\n\r\n8c70 : ef\r\nL>"));
    traceWindow().hide();
    releaseAlt(&traceWindow()); // with the main window gone the key does nothing
    EXPECT_FALSE(traceWindow().isVisible());
}

// The user picks COM2 and leaves with OK; the S-side unit there gets the mode dialog, in which
// Enter runs Apply (the unit is found to be a P-side unit this time) and Close ends it.
TEST_F(StartUpTest, SSideUnitGetsTheModeDialogAsMainWindow) {
    unitAnswers("10");
    port.queue("\r\nc255 : 05\r\nL>\r\n8d3b : 0b\r\nL>\r\n8d3a : b8\r\nL>\r\n8c70 : 00\r\nL>");
    actions["port"] = [&](QDialog& dialog) {
        auto& ports = static_cast<CPortDlg&>(dialog);
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Down})
            QTest::keyClick(ports.portCombo, key);
        QTest::mouseClick(ports.control<QPushButton>(res::ids::port::kOk), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    };
    actions["mode"] = [&](QDialog& dialog) {
        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(static_cast<CModeDlg&>(dialog).control<QPushButton>(res::ids::mode::kClose), Qt::LeftButton);
    };
    EXPECT_TRUE(startUp());
    EXPECT_EQ(runs, (Lines{"port", "mode"}));
    EXPECT_EQ(openedPorts, std::vector<int>{2});
    EXPECT_EQ(takeBoxTexts(), Lines{"S side must be connected to start this procedure"});
    EXPECT_EQ(objects->app.mainWndHandle, nullptr);
    EXPECT_TRUE(port.closed());
}

TEST_F(StartUpTest, ASilentUnitEndsTheProcessWithStatusOneAfterTheFatalBox) {
    port.setEcho(false);
    EXPECT_EQ(testsupport::exitStatusOf([&] { startUp(); }), 1);
    const auto boxes = takeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Fatal Error");
    EXPECT_EQ(boxes[0].owner, nullptr); // no main window designated yet
    EXPECT_NE(traceWindow().traceText.find("\r\ncommunication timeout error\r\n"),
              std::string::npos);
    EXPECT_TRUE(port.closed());
}

} // namespace
