// Start-up offscreen over a scripted unit: the port dialog, the unit's answer to the 8c70 read,
// the main window it leads to, how the process ends, and the Alt key that shows the trace.
#include "app/main_sheet.h"
#include "app/port_dialog.h"
#include "app/process_objects.h"
#include "link/console_state.h"
#include "platform/message_box.h"
#include "platform/modal_runner.h"
#include "platform/port_open.h"
#include "platform/process_exit.h"
#include "procedures/mode_dialog.h"
#include "support/platform_fixture.h"
#include "support/scripted_port.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
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

    // The unit answers the side query on the local unit, then the 8c70 read.
    void unitAnswers(const std::string& unitType) {
        port.queue("\r\nL>\r\n8c70 : " + unitType + "\r\nL>");
    }
    // A P-side unit, then its answers to the Configuration page's opening reads (actual rates,
    // link state).
    void pSideUnitAnswers(const std::string& unitType) {
        unitAnswers(unitType);
        port.queue("\r\n8c40 : 54\r\nL>\r\n8c41 : 68\r\nL>\r\n8c71 : ae\r\nL>");
    }
    // Each modal run shows the window and lets the test act in it ("port", "about", "sheet",
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

TEST_F(StartUpTest, PSideUnitGetsTheMainSheetAndTheProcessEndsWhenItCloses) {
    pSideUnitAnswers("ef"); // every bit but the S side's
    actions["sheet"] = [&](QDialog& dialog) {
        auto& sheet = static_cast<CMainTab&>(dialog);
        EXPECT_EQ(sheet.windowTitle(), "Quillon Configurator  [link UP]");
        EXPECT_FALSE(sheet.windowIcon().isNull());
        QTabWidget* tabs = sheet.tabs();
        Lines shown; // the tabs, then the sheet's own visible buttons
        for (int tab = 0; tab < tabs->count(); ++tab)
            shown.push_back(tabs->tabText(tab).toStdString());
        for (QPushButton* button : sheet.findChildren<QPushButton*>())
            if (!tabs->isAncestorOf(button) && button->isVisible())
                shown.push_back(button->text().toStdString());
        EXPECT_EQ(shown, (Lines{"Configuration", "VDSL Status", "Ethernet Status", "Close"}));
        EXPECT_EQ(tabs->currentWidget(), &sheet.configPage);
        EXPECT_EQ(objects->app.mainWndHandle, &sheet);
        EXPECT_EQ(platform::mainWindow(), &sheet);
        QTest::mouseClick(sheet.button(2), Qt::LeftButton);
    };
    EXPECT_TRUE(startUp());
    EXPECT_EQ(runs, (Lines{"port", "sheet"}));
    EXPECT_EQ(openedPorts, std::vector<int>{1});
    EXPECT_EQ(port.written(), "\nrd 8c70\nrd 8c40\nrd 8c41\nrd 8c71\n");
    EXPECT_TRUE(port.closed());
    EXPECT_EQ(objects->app.mainWndHandle, nullptr);
    EXPECT_EQ(platform::mainWindow(), nullptr);
    // The test's working folder has no profile file.
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Configuration file was not found");
    EXPECT_EQ(g_fatalErrorsEnabled, 1);
    // Placed at the top left, still hidden.
    EXPECT_FALSE(traceWindow().isVisible());
    EXPECT_EQ(traceWindow().pos(), QPoint(0, 0));
    EXPECT_TRUE(traceWindow().traceText.starts_with("\n\r\nL>rd 8c70\n\r\n8c70 : ef\r\nL>"));
}

// The user opens the about box over the port dialog, picks COM2 and leaves with OK; the S-side
// unit on COM2 gets the mode dialog, in which Enter runs Apply (the unit is found to be a P-side
// unit this time) and Close ends it.
TEST_F(StartUpTest, SSideUnitGetsTheModeDialogAsMainWindow) {
    unitAnswers("10");
    port.queue("\r\nc255 : 05\r\nL>\r\n8d3b : 0b\r\nL>\r\n8d3a : b8\r\nL>\r\n8c70 : 00\r\nL>");
    QWidget* portDialog = nullptr;
    actions["port"] = [&](QDialog& dialog) {
        portDialog = &dialog;
        auto& ports = static_cast<CPortDlg&>(dialog);
        QComboBox* list = ports.portCombo;
        for (int i : {0, 1})
            EXPECT_EQ(list->itemText(i) + list->itemData(i).toString(),
                      QString("COM%1%1").arg(i + 1));
        EXPECT_EQ(list->currentIndex(), 0);
        QTest::mouseClick(ports.control<QPushButton>(1024), Qt::LeftButton);
        for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Down})
            QTest::keyClick(list, key);
        QTest::mouseClick(ports.control<QPushButton>(1), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    };
    actions["about"] = [&](QDialog& about) {
        EXPECT_EQ(about.parentWidget(), portDialog);
        EXPECT_EQ(about.windowTitle(), "About Quillon Configurator");
        EXPECT_EQ(about.findChildren<QLabel*>().at(1)->text(),
                  "Quillon Configurator Version 2-0-1");
        QTest::keyClick(&about, Qt::Key_Return); // OK
    };
    actions["mode"] = [&](QDialog& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Quillon Configurator");
        EXPECT_EQ(objects->app.mainWndHandle, &dialog);
        EXPECT_EQ(platform::mainWindow(), &dialog);
        QTest::keyClick(&dialog, Qt::Key_Return); // Apply: the dialog stays
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(static_cast<CModeDlg&>(dialog).control<QPushButton>(2), Qt::LeftButton);
    };
    EXPECT_TRUE(startUp());
    EXPECT_EQ(runs, (Lines{"port", "about", "mode"}));
    EXPECT_EQ(objects->aboutBox.parentWidget(), nullptr); // given back after the run
    EXPECT_EQ(openedPorts, std::vector<int>{2});
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "S side must be connected to start this procedure");
    EXPECT_EQ(objects->app.mainWndHandle, nullptr);
    EXPECT_TRUE(port.closed());
}

TEST_F(StartUpTest, AReplyWithoutValueGivesNoAnswerFromDeviceAndNoMainWindow) {
    unitAnswers("");
    EXPECT_FALSE(startUp());
    EXPECT_EQ(runs, Lines{"port"});
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "No answer from device");
    EXPECT_EQ(boxes_[0].caption, platform::applicationName());
    EXPECT_EQ(boxes_[0].owner, nullptr);
    EXPECT_TRUE(port.closed());
}

TEST_F(StartUpTest, ASilentUnitEndsTheProcessWithStatusOneAfterTheFatalBox) {
    port.setEcho(false);
    try {
        startUp();
        ADD_FAILURE() << "start-up returned";
    } catch (const platform::ProcessExit& exit) {
        EXPECT_EQ(exit.status, 1);
    }
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, "Fatal Error");
    EXPECT_EQ(boxes_[0].owner, nullptr); // no main window designated yet
    EXPECT_NE(traceWindow().traceText.find("\r\ncommunication timeout error\r\n"),
              std::string::npos);
    EXPECT_TRUE(port.closed());
}

TEST_F(StartUpTest, AltKeyUpShowsTheTraceOnlyFromTheMainWindowAndItsChildren) {
    pSideUnitAnswers("00");
    actions["port"] = [&](QDialog& dialog) {
        releaseAlt(&dialog);
        EXPECT_FALSE(traceWindow().isVisible());
    };
    actions["about"] = [&](QDialog& about) { // the about box, owned by the sheet
        releaseAlt(&about);
        EXPECT_FALSE(traceWindow().isVisible());
    };
    actions["sheet"] = [&](QDialog& dialog) {
        auto& sheet = static_cast<CMainTab&>(dialog);
        QWidget* child = sheet.configPage.controls().widget(1002);
        releaseAlt(&traceWindow());
        showAboutBox(&sheet);
        releaseAlt(child, /*autoRepeat=*/true);
        EXPECT_FALSE(traceWindow().isVisible());
        QTest::keyRelease(child, Qt::Key_Alt);
        EXPECT_TRUE(traceWindow().isVisible());
        const std::string text = traceWindow().traceText;
        releaseAlt(&sheet);
        EXPECT_TRUE(traceWindow().isVisible());
        EXPECT_EQ(traceWindow().traceText, text);
        QTest::keyClick(&traceWindow(), Qt::Key_Escape);
        EXPECT_FALSE(traceWindow().isVisible());
        releaseAlt(&sheet);
        EXPECT_TRUE(traceWindow().isVisible());
        EXPECT_EQ(traceWindow().pos(), QPoint(0, 0));
    };
    EXPECT_TRUE(startUp());
    // With the main window gone the key does nothing.
    traceWindow().hide();
    releaseAlt(&traceWindow());
    EXPECT_FALSE(traceWindow().isVisible());
}

} // namespace
