// The Configuration page as the view of its search: what it shows when it opens, its lists, Apply
// through the window, and the repaints of the link wait.
#include "platform/clock.h"
#include "speed/configuration_fixture.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>

namespace speedtest {
namespace {

// Notes the virtual time of every paint event of the application's windows.
struct PaintTimes final : QObject {
    PaintTimes() { qApp->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            times.push_back(platform::clock().nowMs());
        return false;
    }
    std::vector<std::int64_t> times;
};

struct ConfigurationPage : ConfigurationFixture {
    // The downstream and upstream Actual boxes and the status line.
    Texts boxes() const {
        Texts texts;
        for (int id : {1011, 1020, 1010})
            texts.push_back(page_->control<QLineEdit>(id)->text().toStdString());
        return texts;
    }
};

// With the link down the page reads it twice, one second apart, before it has opened.
TEST_F(ConfigurationPage, OpensOnTheSlowestProfilesWithTheActualRatesAndLinkState) {
    openPage();
    for (QComboBox* list :
         {page_->upMinList, page_->upMaxList, page_->downMinList, page_->downMaxList})
        EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(boxes(), (Texts{"3.79", "1.42", "Select speed to set"})); // the units' defaults
    EXPECT_EQ(page_->algorithmList->currentText(), "LOW  -> HIGH");
    EXPECT_EQ(sentSince(0), "P:rd 8c40|P:rd 8c41|P:rd 8c71|");

    pair_->dropLink(-1);
    const std::size_t before = pair_->commandLog().size();
    openPage();
    EXPECT_EQ(sheet_->windowTitle().toStdString(), "Quillon Configurator  [link DOWN]");
    EXPECT_EQ(sentSince(before), "P:rd 8c40|P:rd 8c41|P:rd 8c71|P:rd 8c71|");
    EXPECT_EQ(clock_.sleptMs(), 1000);
}

// Without a readable file neither Apply nor Enter runs, and the actual rates are computed, even
// for a code that a profile read before a syntax error names.
TEST_F(ConfigurationPage, ABadFileLeavesApplyDisabledAndShowsComputedRates) {
    for (const std::optional<std::string>& file :
         {std::optional<std::string>(), std::optional<std::string>("1.42;68;00;b7;\n$up\n")}) {
        openPage(file);
        const std::vector<testsupport::RecordedBox> shown = takeBoxes();
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].text,
                  file ? "syntax error in configuration file" : "Configuration file was not found");
        EXPECT_EQ(shown[0].owner, page_);
        EXPECT_EQ(page_->upMaxList->currentIndex(), -1);
        EXPECT_EQ(boxes(), (Texts{"3.7917", "1.4219", "Select speed to set"}));
        const std::size_t before = pair_->commandLog().size();
        QTest::mouseClick(page_->applyButton, Qt::LeftButton);
        QTest::keyClick(page_->upMinList, Qt::Key_Return);
        EXPECT_EQ(pair_->commandLog().size(), before);
    }
}

// A label's bytes show as UTF-8 when they are, else as Latin-1, in the lists, the Actual boxes and
// the status line; the trace keeps the bytes.
TEST_F(ConfigurationPage, ShowsLabelsInEitherEncodingAndTracesTheirBytes) {
    openPage("1.42\xb5;68;00;b7;\n$DOWNSTREAM\n3.79\xc2\xb5;54;00;4b;\n");
    EXPECT_EQ(page_->upMaxList->itemText(0).toStdString(), "1.42\xc2\xb5");
    EXPECT_EQ(page_->downMinList->itemText(0).toStdString(), "3.79\xc2\xb5");
    EXPECT_EQ(page_->LoadConfiguration(0, 0), 1);
    EXPECT_EQ(boxes(), (Texts{"3.79\xc2\xb5", "1.42\xc2\xb5",
                              "Loading a configuration - DS= 3.79\xc2\xb5 - US= 1.42\xc2\xb5"}));
    EXPECT_NE(trace_.find("- DS= 3.79\xc2\xb5 - US= 1.42\xb5\r\n"), std::string::npos);
}

// The window is repainted after each link read (before the one-second pause), and the page at
// each status; an unreadable state counts as down. (How long the wait lasts is counted in reads
// by the search's own test.)
TEST_F(ConfigurationPage, WaitForLinkRepaintsWhileItReads) {
    openPage();
    sheet_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet_.get()));
    PaintTimes paints;
    pair_->faults().noValueRegister = "8c71";
    const std::size_t before = pair_->commandLog().size();
    int linkUp = 1;
    EXPECT_EQ(page_->WaitForLink(3, linkUp), 1);
    EXPECT_EQ(linkUp, 0);
    EXPECT_EQ(boxes()[2], "can't read link status");
    EXPECT_EQ(sentSince(before), "P:rd 8c71|P:rd 8c71|P:rd 8c71|P:rd 8c71|");
    EXPECT_EQ(clock_.sleptMs(), 3000);
    for (std::size_t read = before; read + 1 < pair_->commandLog().size(); ++read)
        EXPECT_TRUE(
            std::ranges::any_of(paints.times, [at = pair_->commandLog()[read].atMs](auto t) {
                return t >= at && t < at + 500;
            }));

    const std::size_t painted = paints.times.size();
    page_->SetStatus("Checking signal/noise ratio...");
    EXPECT_GT(paints.times.size(), painted); // before SetStatus returned
}

// Enter runs Apply with what the lists and the direction's edit field show: a text of the user's
// own chooses no direction; the search runs (the S side restarts) and handles no queued event.
// The title follows the link, the status ends on "Done" and Apply is enabled again.
TEST_F(ConfigurationPage, EnterAppliesTheChoicesTheWindowShows) {
    openPage();
    setRange("10", "00"); // upstream Max below Min
    QTest::keyClick(page_->upMinList, Qt::Key_Return);
    EXPECT_EQ(takeBoxTexts(), Texts{"Max speed cannot be lower than min speed:\nselect different "
                                    "values"});
    setRange("00", "00");
    page_->algorithmList->setEditText("FASTEST");
    bool fired = false;
    QTimer::singleShot(0, page_, [&fired] { fired = true; });
    QTest::keyClick(page_->upMinList, Qt::Key_Return);
    EXPECT_FALSE(fired);
    EXPECT_EQ(takeBoxTexts(), Texts{"Select the Algorithm"});
    EXPECT_EQ(pair_->restartCount(sim::Side::S), 1);
    ASSERT_TRUE(page_->installationRecord()); // a run, even without a search
    EXPECT_EQ(sheet_->windowTitle().toStdString(), "Quillon Configurator  [link UP]");
    EXPECT_EQ(boxes()[2], "Done");
    EXPECT_TRUE(page_->applyButton->isEnabled());
}

// Reading the file again empties and refills the lists, with no item selected: Apply asks for a
// range instead of searching freed profiles, and the rates are named by the new labels.
TEST_F(ConfigurationPage, ReloadingTheFileRefillsTheListsSafely) {
    openPage();
    folder_.write(kSpeedFileName, "9.99;68;00;b7;\n$DOWNSTREAM\n8.88;54;00;4b;\n");
    EXPECT_EQ(page_->LoadSpeedFile(), 1);
    EXPECT_EQ(page_->upMinList->count(), 1);
    EXPECT_EQ(page_->downMaxList->currentIndex(), -1);
    EXPECT_EQ(page_->upMinIndex(), -1);
    page_->Apply();
    EXPECT_EQ(takeBoxTexts(), Texts{"Max speed cannot be lower than min speed:\nselect different "
                                    "values"});
    page_->ReadLineSpeed();
    EXPECT_EQ(boxes()[0] + boxes()[1], "8.889.99"); // the units' defaults
}

} // namespace
} // namespace speedtest
