// Start-up offscreen over a scripted P-side unit: the port dialog, the 8c70 read, the main sheet
// it leads to, and the Alt key that shows the trace. The other ways start-up ends are in the
// fault matrix and the end-to-end test.
#include "app/main_sheet.h"
#include "app/port_dialog.h"
#include "app/process_objects.h"
#include "link/console_state.h"
#include "monitor/line_history_window.h"
#include "platform/modal_runner.h"
#include "res/control_ids.h"
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
        platform::setPortOpener([this](int) { return platform::OpenResult{port.handle()}; });
        // Each modal run shows the window, lets the test act in it, then ends it with Escape
        // unless the test did.
        platform::setModalRunner([this](QDialog& dialog) {
            const std::string name = dynamic_cast<CPortDlg*>(&dialog)   ? "port"
                                     : dynamic_cast<CMainTab*>(&dialog) ? "sheet"
                                                                        : "about";
            runs.push_back(name);
            dialog.show();
            actions[name](dialog);
            if (dialog.isVisible())
                QTest::keyClick(&dialog, Qt::Key_Escape);
            EXPECT_FALSE(dialog.isVisible()) << name << ": the run did not end";
            return dialog.result();
        });
        objects.emplace();
    }
    void TearDown() override {
        objects.reset();
        PlatformFixture::TearDown();
    }
    CDebugDlg& traceWindow() { return objects->traceWindow; }
    static void releaseAlt(QWidget* target, bool autoRepeat = false) {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(target, &release);
    }

    testsupport::ScriptedPort port{clock_};
    Lines runs;
    std::map<std::string, std::function<void(QDialog&)>> actions;
    std::optional<ProcessObjects> objects;
};

// Only a real (not auto-repeated) Alt release in the main window or its children shows the
// trace window, at the top left and without touching its text.
TEST_F(StartUpTest, PSideUnitGetsTheMainSheetWhereAltShowsTheTrace) {
    // The side query's prompt, the 8c70 read (every bit but the S side's), then the
    // Configuration page's opening reads (actual rates, link state).
    port.queue(
        "\r\nL>\r\n8c70 : ef\r\nL>\r\n8c40 : 54\r\nL>\r\n8c41 : 68\r\nL>\r\n8c71 : ae\r\nL>");
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
        // The line history is a window of its own, but part of the sheet for the key.
        traceWindow().hide();
        sheet.vdslPage.showLineHistory();
        QTest::keyRelease(sheet.vdslPage.findChild<LineHistoryWindow*>()->rangeBox(), Qt::Key_Alt);
        EXPECT_TRUE(traceWindow().isVisible());
        QTest::mouseClick(sheet.button(platform::kIdCancel), Qt::LeftButton);
    };
    EXPECT_TRUE(objects->app.startUp());
    EXPECT_EQ(runs, (Lines{"port", "sheet", "about"}));
    EXPECT_EQ(objects->aboutBox.parentWidget(), nullptr);
    EXPECT_EQ(port.written(), "\nrd 8c70\nrd 8c40\nrd 8c41\nrd 8c71\n");
    EXPECT_TRUE(port.traffic().ends_with("[close]"));
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

} // namespace
