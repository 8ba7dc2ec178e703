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
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

// Lends the test's scripted port to the program, so the test still sees it after the program
// has closed and dropped it.
class LentPort final : public platform::SerialPort {
public:
    explicit LentPort(testsupport::ScriptedPort& port) : port_(port) {}
    bool writeByte(std::uint8_t byte) override { return port_.writeByte(byte); }
    platform::ByteRead readByte() override { return port_.readByte(); }
    void purge() override { port_.purge(); }
    platform::CommTimeouts timeouts() const override { return port_.timeouts(); }
    bool setTimeouts(const platform::CommTimeouts& t) override { return port_.setTimeouts(t); }
    void close() override { port_.close(); }

private:
    testsupport::ScriptedPort& port_;
};

constexpr const char* kLocalPrompt = "\r\nL>";

// What the mode dialog reads as it opens: the mode byte and the timeout parameter.
void queueModeDialogReads(testsupport::ScriptedPort& port) {
    port.queue("\r\nc255 : 05\r\nL>");
    port.queue("\r\n8d3b : 0b\r\nL>");
    port.queue("\r\n8d3a : b8\r\nL>");
}

class StartUpTest : public testsupport::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        port.setEcho(true);
        platform::setPortOpener([this](int number) {
            openedPorts.push_back(number);
            return platform::OpenResult{std::make_unique<LentPort>(port)};
        });
        platform::setModalRunner([this](QDialog& dialog) { return run(dialog); });
        objects.emplace();
    }
    void TearDown() override {
        objects.reset();
        platform::setModalRunner({});
        PlatformFixture::TearDown();
    }

    // Each modal run shows the window, lets the test act in it, then ends it with Escape
    // unless the test already did.
    static std::string nameOf(QDialog& dialog) {
        if (dynamic_cast<CPortDlg*>(&dialog) != nullptr)
            return "port dialog";
        if (dynamic_cast<CMainTab*>(&dialog) != nullptr)
            return "main sheet";
        if (dynamic_cast<CModeDlg*>(&dialog) != nullptr)
            return "mode dialog";
        if (dynamic_cast<CAboutDlg*>(&dialog) != nullptr)
            return "about box";
        return "other";
    }

    int run(QDialog& dialog) {
        runs.push_back(nameOf(dialog));
        dialog.show();
        if (auto* portDialog = dynamic_cast<CPortDlg*>(&dialog))
            inPortDialog(*portDialog);
        else if (auto* sheet = dynamic_cast<CMainTab*>(&dialog))
            inMainSheet(*sheet);
        else if (auto* mode = dynamic_cast<CModeDlg*>(&dialog))
            inModeDialog(*mode);
        else
            inOtherDialog(dialog);
        if (dialog.isVisible())
            QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible()) << "the run did not end";
        return dialog.result();
    }

    // A P-side unit's answers to start-up's first read and to the Configuration page's opening
    // reads (actual rates, link state).
    void queuePSideStart() {
        port.queue(kLocalPrompt);
        port.queue("\r\n8c70 : 00\r\nL>");
        port.queue("\r\n8c40 : 54\r\nL>");
        port.queue("\r\n8c41 : 68\r\nL>");
        port.queue("\r\n8c71 : ae\r\nL>");
    }

    bool startUp() { return objects->app.startUp(); }
    CDebugDlg& traceWindow() { return objects->traceWindow; }
    platform::WindowHandle mainWndHandle() { return objects->app.mainWndHandle; }

    static void releaseAlt(QWidget* target, bool autoRepeat = false) {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(target, &release);
    }

    testsupport::ScriptedPort port{clock_};
    std::vector<int> openedPorts;
    std::vector<std::string> runs;
    std::function<void(CPortDlg&)> inPortDialog = [](CPortDlg&) {};
    std::function<void(CMainTab&)> inMainSheet = [](CMainTab&) {};
    std::function<void(CModeDlg&)> inModeDialog = [](CModeDlg&) {};
    std::function<void(QDialog&)> inOtherDialog = [](QDialog&) {};
    std::optional<ProcessObjects> objects;
};

TEST_F(StartUpTest, PSideUnitGetsTheMainSheet) {
    queuePSideStart();
    bool checked = false;
    inMainSheet = [&](CMainTab& sheet) {
        checked = true;
        EXPECT_EQ(sheet.windowTitle(), "Quillon Configurator  [link UP]");
        EXPECT_FALSE(sheet.windowIcon().isNull());
        EXPECT_EQ(sheet.parentWidget(), nullptr);
        QTabWidget* tabs = sheet.tabs();
        ASSERT_EQ(tabs->count(), 3);
        EXPECT_EQ(tabs->tabText(0), "Configuration");
        EXPECT_EQ(tabs->tabText(1), "VDSL Status");
        EXPECT_EQ(tabs->tabText(2), "Ethernet Status");
        EXPECT_EQ(tabs->currentWidget(), &sheet.configPage);
        EXPECT_EQ(tabs->widget(1), &sheet.vdslPage);
        EXPECT_EQ(tabs->widget(2), &sheet.enetPage);
        // The sheet's own buttons: one visible, "Close".
        std::vector<QString> visible;
        for (QPushButton* button : sheet.findChildren<QPushButton*>())
            if (!tabs->isAncestorOf(button) && button->isVisible())
                visible.push_back(button->text());
        EXPECT_EQ(visible, std::vector<QString>{"Close"});
        EXPECT_EQ(sheet.button(2)->text(), "Close");
        EXPECT_TRUE(sheet.button(1)->isHidden());
        EXPECT_TRUE(sheet.button(9)->isHidden());
        EXPECT_EQ(mainWndHandle(), &sheet);
        EXPECT_EQ(platform::mainWindow(), &sheet);
        QTest::mouseClick(sheet.button(2), Qt::LeftButton);
        EXPECT_FALSE(sheet.isVisible());
    };
    EXPECT_TRUE(startUp());
    EXPECT_TRUE(checked);
    EXPECT_EQ(runs, (std::vector<std::string>{"port dialog", "main sheet"}));
    EXPECT_EQ(openedPorts, std::vector<int>{1});
    EXPECT_EQ(port.written(), "\nrd 8c70\nrd 8c40\nrd 8c41\nrd 8c71\n");
    EXPECT_TRUE(port.closed());
    EXPECT_EQ(g_portHandle, nullptr);
    EXPECT_EQ(mainWndHandle(), nullptr);
    EXPECT_EQ(platform::mainWindow(), nullptr);
    // The test's working folder has no profile file.
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Configuration file was not found");
    EXPECT_EQ(g_fatalErrorsEnabled, 1);
    // Placed at the top left, still hidden.
    EXPECT_FALSE(traceWindow().isVisible());
    EXPECT_EQ(traceWindow().pos(), QPoint(0, 0));
    EXPECT_GE(traceWindow().width(), 350);
    EXPECT_GE(traceWindow().height(), 300);
    EXPECT_TRUE(traceWindow().traceText.starts_with("\n\r\nL>rd 8c70\n\r\n8c70 : 00\r\nL>"));
}

TEST_F(StartUpTest, SSideUnitGetsTheModeDialogWhichEnterDoesNotEnd) {
    port.queue(kLocalPrompt);
    port.queue("\r\n8c70 : 10\r\nL>");
    queueModeDialogReads(port);
    port.queue("\r\n8c70 : 00\r\nL>"); // Apply finds a P-side unit and stops
    bool checked = false;
    inModeDialog = [&](CModeDlg& dialog) {
        checked = true;
        EXPECT_EQ(dialog.windowTitle(), "Quillon Configurator");
        EXPECT_EQ(mainWndHandle(), &dialog);
        EXPECT_EQ(platform::mainWindow(), &dialog);
        EXPECT_TRUE(dialog.control<QPushButton>(1)->isDefault());
        QTest::keyClick(&dialog, Qt::Key_Return); // Apply: the dialog stays
        EXPECT_TRUE(dialog.isVisible());
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    };
    EXPECT_TRUE(startUp());
    EXPECT_TRUE(checked);
    EXPECT_EQ(runs, (std::vector<std::string>{"port dialog", "mode dialog"}));
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "S side must be connected to start this procedure");
    EXPECT_EQ(mainWndHandle(), nullptr);
    EXPECT_TRUE(port.closed());
}

TEST_F(StartUpTest, ModeDialogCloseButtonEndsIt) {
    port.queue(kLocalPrompt);
    port.queue("\r\n8c70 : 1f\r\nL>");
    queueModeDialogReads(port);
    inModeDialog = [](CModeDlg& dialog) {
        QTest::mouseClick(dialog.control<QPushButton>(2), Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    };
    EXPECT_TRUE(startUp());
    EXPECT_EQ(runs.back(), "mode dialog");
}

TEST_F(StartUpTest, AReplyWithoutValueGivesNoAnswerFromDeviceAndNoMainWindow) {
    port.queue(kLocalPrompt);
    port.queue("\r\n8c70 :\r\nL>");
    EXPECT_FALSE(startUp());
    EXPECT_EQ(runs, std::vector<std::string>{"port dialog"});
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "No answer from device");
    EXPECT_EQ(boxes_[0].caption, platform::applicationName());
    EXPECT_EQ(boxes_[0].owner, nullptr);
    EXPECT_TRUE(port.closed());
    EXPECT_EQ(g_portHandle, nullptr);
    EXPECT_FALSE(traceWindow().isVisible());
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
    EXPECT_EQ(runs, std::vector<std::string>{"port dialog"});
}

struct PortChoice {
    const char* name;
    std::vector<Qt::Key> keys; // typed in the port list before Escape
    int expectedPort;
};

class PortDialogTest : public StartUpTest, public ::testing::WithParamInterface<PortChoice> {};

TEST_P(PortDialogTest, EscapeOpensThePortSelectedInTheList) {
    queuePSideStart();
    inPortDialog = [](CPortDlg& dialog) {
        QComboBox* list = dialog.portCombo;
        ASSERT_NE(list, nullptr);
        ASSERT_EQ(list->count(), 2);
        EXPECT_EQ(list->itemText(0), "COM1");
        EXPECT_EQ(list->itemData(0).toInt(), 1);
        EXPECT_EQ(list->itemText(1), "COM2");
        EXPECT_EQ(list->itemData(1).toInt(), 2);
        EXPECT_EQ(list->currentIndex(), 0);
        EXPECT_EQ(g_portNumber, 1);
        for (Qt::Key key : GetParam().keys)
            QTest::keyClick(list, key);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    };
    EXPECT_TRUE(startUp());
    EXPECT_EQ(openedPorts, std::vector<int>{GetParam().expectedPort});
}

INSTANTIATE_TEST_SUITE_P(
    Choices, PortDialogTest,
    ::testing::Values(PortChoice{"Untouched", {}, 1}, PortChoice{"Com2", {Qt::Key_Down}, 2},
                      PortChoice{"Com2ThenCom1", {Qt::Key_Down, Qt::Key_Up}, 1}),
    [](const ::testing::TestParamInfo<PortChoice>& choice) { return choice.param.name; });

TEST_F(StartUpTest, PortDialogOkEndsItAndAboutRunsOverIt) {
    queuePSideStart();
    QWidget* aboutParent = nullptr;
    inOtherDialog = [&](QDialog& about) {
        aboutParent = about.parentWidget();
        EXPECT_EQ(about.windowTitle(), "About Quillon Configurator");
        QTest::keyClick(&about, Qt::Key_Return); // OK
    };
    QWidget* portDialog = nullptr;
    inPortDialog = [&](CPortDlg& dialog) {
        portDialog = &dialog;
        QTest::mouseClick(dialog.control<QPushButton>(1024), Qt::LeftButton);
        EXPECT_TRUE(dialog.isVisible());
        QTest::mouseClick(dialog.control<QPushButton>(1), Qt::LeftButton);
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    };
    EXPECT_TRUE(startUp());
    EXPECT_EQ(runs, (std::vector<std::string>{"port dialog", "about box", "main sheet"}));
    EXPECT_EQ(aboutParent, portDialog);
    EXPECT_EQ(objects->aboutBox.parentWidget(), nullptr); // given back after the run
}

TEST_F(StartUpTest, AltKeyUpShowsTheTraceOnlyFromTheMainWindowAndItsChildren) {
    queuePSideStart();
    inPortDialog = [&](CPortDlg& dialog) {
        releaseAlt(&dialog);
        releaseAlt(dialog.portCombo);
        EXPECT_FALSE(traceWindow().isVisible());
    };
    inOtherDialog = [&](QDialog& about) { // the about box, owned by the sheet
        releaseAlt(&about);
        EXPECT_FALSE(traceWindow().isVisible());
    };
    inMainSheet = [&](CMainTab& sheet) {
        releaseAlt(&traceWindow());
        EXPECT_FALSE(traceWindow().isVisible());
        showAboutBox(&sheet);
        releaseAlt(sheet.configPage.controls().widget(1002), /*autoRepeat=*/true);
        EXPECT_FALSE(traceWindow().isVisible());
        QTest::keyRelease(sheet.configPage.controls().widget(1002), Qt::Key_Alt);
        EXPECT_TRUE(traceWindow().isVisible());
        const std::string text = traceWindow().traceText;
        releaseAlt(&sheet);
        EXPECT_TRUE(traceWindow().isVisible());
        EXPECT_EQ(traceWindow().traceText, text);
        QTest::keyClick(&traceWindow(), Qt::Key_Escape);
        EXPECT_FALSE(traceWindow().isVisible());
        releaseAlt(&traceWindow());
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
