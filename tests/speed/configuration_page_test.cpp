// The Configuration page on its own: what it shows when it opens, its lists and handlers, and the
// operations the search is built from.
#include "platform/clock.h"
#include "platform/modal_runner.h"
#include "speed/configuration_fixture.h"

#include <QEvent>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace speedtest {
namespace {

using sim::Side;

std::vector<std::string> itemTexts(const QComboBox* list) {
    std::vector<std::string> texts;
    for (int i = 0; i < list->count(); ++i)
        texts.push_back(list->itemText(i).toStdString());
    return texts;
}

// Counts the paint events a widget and its children receive.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget& window) {
        window.installEventFilter(this);
        for (QWidget* child : window.findChildren<QWidget*>())
            child->installEventFilter(this);
    }
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

// Tells the test about every sleep of the program, then lets the virtual clock sleep.
class WatchedClock final : public platform::Clock {
public:
    WatchedClock(platform::VirtualClock& inner, std::function<void(std::int64_t)> onSleep)
        : inner_(inner), onSleep_(std::move(onSleep)) {}
    std::int64_t nowMs() override { return inner_.nowMs(); }
    void sleepMs(std::int64_t ms) override {
        onSleep_(ms);
        inner_.sleepMs(ms);
    }

private:
    platform::VirtualClock& inner_;
    std::function<void(std::int64_t)> onSleep_;
};

class ConfigurationPage : public ConfigurationFixture {
protected:
    std::string box(int id) const { return page_->control<QLineEdit>(id)->text().toStdString(); }
};

TEST_F(ConfigurationPage, OpensOnTheSlowestProfilesWithTheActualRatesAndLinkState) {
    openPage();
    EXPECT_EQ(page_->profilesLoaded, 1);
    for (QComboBox* list : {page_->upMinList, page_->upMaxList})
        EXPECT_EQ(itemTexts(list), (std::vector<std::string>{"1.42", "1.90", "2.84", "5.69"}));
    for (QComboBox* list : {page_->downMinList, page_->downMaxList})
        EXPECT_EQ(itemTexts(list), (std::vector<std::string>{"3.79", "5.69", "7.58", "11.38"}));
    for (QComboBox* list :
         {page_->upMinList, page_->upMaxList, page_->downMinList, page_->downMaxList})
        EXPECT_EQ(list->currentIndex(), 0);
    EXPECT_EQ(std::vector<int>(
                  {page_->upMinIndex, page_->upMaxIndex, page_->downMinIndex, page_->downMaxIndex}),
              std::vector<int>({0, 0, 0, 0}));
    EXPECT_EQ(page_->upLastIndex, 3);
    EXPECT_EQ(page_->downLastIndex, 3);
    EXPECT_TRUE(page_->applyButton->isEnabled());

    // The units run their defaults, which are the first profiles of the file.
    EXPECT_EQ(box(1011), "3.79");
    EXPECT_EQ(box(1020), "1.42");
    EXPECT_EQ(box(1010), "Select speed to set");
    EXPECT_EQ(page_->statusText, "Select speed to set");
    EXPECT_EQ(windowTitle(), "Quillon Configurator  [link UP]");
    EXPECT_EQ(itemTexts(page_->algorithmList),
              (std::vector<std::string>{"HIGH -> LOW", "LOW  -> HIGH"}));
    EXPECT_EQ(page_->algorithmList->currentText(), "LOW  -> HIGH");
    EXPECT_EQ(commandsSince(0), (std::vector<std::string>{"rd 8c40", "rd 8c41", "rd 8c71"}));
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(ConfigurationPage, WithTheLinkDownAtOpeningReadsItTwiceOneSecondApart) {
    pair_->dropLink(-1);
    openPage();
    EXPECT_EQ(windowTitle(), "Quillon Configurator  [link DOWN]");
    EXPECT_EQ(commandsSince(2), (std::vector<std::string>{"rd 8c71", "rd 8c71"}));
    EXPECT_EQ(clock_.sleptMs(), 1000);
    EXPECT_EQ(page_->statusText, "Select speed to set");
}

struct BadFileCase {
    const char* name;
    std::optional<std::string> file;
    std::string message;
    std::vector<std::string> upItems;
};

class ConfigurationPageBadFile : public ConfigurationPage,
                                 public ::testing::WithParamInterface<BadFileCase> {};

// Without a readable file Apply stays disabled and the actual rates are computed, even for a code
// that a profile read before a syntax error names.
TEST_P(ConfigurationPageBadFile, LeavesApplyDisabledAndShowsComputedRates) {
    openPage(GetParam().file);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{GetParam().message});
    EXPECT_EQ(boxes_[0].owner, page_);
    EXPECT_EQ(page_->profilesLoaded, 0);
    EXPECT_FALSE(page_->applyButton->isEnabled());
    EXPECT_EQ(itemTexts(page_->upMaxList), GetParam().upItems);
    EXPECT_EQ(page_->upMaxList->currentIndex(), -1);
    EXPECT_EQ(page_->downMaxList->currentIndex(), -1);
    EXPECT_EQ(box(1011), "3.7917");
    EXPECT_EQ(box(1020), "1.4219");
    EXPECT_EQ(box(1010), "Select speed to set");

    const std::size_t before = pair_->commandLog().size();
    QTest::mouseClick(page_->applyButton, Qt::LeftButton);
    EXPECT_EQ(pair_->commandLog().size(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ConfigurationPageBadFile,
    ::testing::Values(BadFileCase{"Missing", std::nullopt, "Configuration file was not found", {}},
                      BadFileCase{"SyntaxError",
                                  "1.42;68;00;b7;\n1.90;58;00;b7;\n$downstream\n3.79;54;00;4b;\n",
                                  "syntax error in configuration file",
                                  {"1.42", "1.90"}}),
    [](const auto& param) { return std::string(param.param.name); });

struct ActualRateCase {
    const char* name;
    std::string downProfiles; // lines of the downstream section
    std::string unitCode;     // the downstream code the units are given, "" to keep 54
    bool noValue;             // 8c40 answers without a value
    std::string shown;
};

class ActualRate : public ConfigurationPage,
                   public ::testing::WithParamInterface<ActualRateCase> {};

TEST_P(ActualRate, ShowsTheFirstMatchingProfilesLabelOrTheComputedRate) {
    const ActualRateCase& c = GetParam();
    if (!c.unitCode.empty()) { // the P side runs it, whatever the link does
        exchange("wr 8c10 " + c.unitCode + "\n");
        exchange("or 8c00 04\n");
    }
    pair_->faults().noValueRegister = c.noValue ? "8c40" : "";
    openPage("1.42;68;00;b7;\n$DOWNSTREAM\n" + c.downProfiles);
    EXPECT_EQ(box(1011), c.shown);
    EXPECT_EQ(page_->downActualText, c.shown);
    EXPECT_EQ(box(1020), "1.42");
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ActualRate,
    ::testing::Values(
        ActualRateCase{"ProfileLabel", "3.79;54;00;4b;\n", "", false, "3.79"},
        ActualRateCase{"NoProfileComputed", "5.69;44;00;4b;\n", "", false, "3.7917"},
        ActualRateCase{"NoDownstreamProfiles", "", "", false, "3.7917"},
        ActualRateCase{"FirstOfTwoMatches", "a;54;00;4b;\nb;54;00;4b;\n", "", false, "a"},
        ActualRateCase{"PrefixedCodeIsParsed", "x; 0x54;00;4b;\n", "", false, "x"},
        ActualRateCase{"ThreeDigitsNeverMatch", "x;154;00;4b;\n", "", false, "3.7917"},
        ActualRateCase{"BelowOneMegabit", "x;54;00;4b;\n", "88", false, ".71094"},
        ActualRateCase{"CodeOutsideTheTables", "x;54;00;4b;\n", "b0", false, "-"},
        ActualRateCase{"ReplyWithoutValue", "3.79;54;00;4b;\n", "", true, "-"}),
    [](const auto& param) { return std::string(param.param.name); });

struct ListCase {
    const char* name;
    QComboBox* CSet::*list;
    int CSet::*stored;
};

class SelectionHandler : public ConfigurationPage,
                         public ::testing::WithParamInterface<ListCase> {};

TEST_P(SelectionHandler, StoresTheListsNewSelection) {
    openPage();
    QComboBox* list = page_->*GetParam().list;
    choose(list, 2);
    EXPECT_EQ(page_->*GetParam().stored, 2);
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(page_->*GetParam().stored, 3);
}

INSTANTIATE_TEST_SUITE_P(
    Lists, SelectionHandler,
    ::testing::Values(ListCase{"UpMin", &CSet::upMinList, &CSet::upMinIndex},
                      ListCase{"UpMax", &CSet::upMaxList, &CSet::upMaxIndex},
                      ListCase{"DownMin", &CSet::downMinList, &CSet::downMinIndex},
                      ListCase{"DownMax", &CSet::downMaxList, &CSet::downMaxIndex}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(ConfigurationPage, WaitForLinkCountsAnUnreadableStateAsDown) {
    openPage();
    pair_->faults().noValueRegister = "8c71";
    const std::int64_t slept = clock_.sleptMs();
    const std::size_t before = pair_->commandLog().size();
    int linkUp = 1;
    EXPECT_EQ(page_->WaitForLink(3, linkUp), 1);
    EXPECT_EQ(linkUp, 0);
    EXPECT_EQ(page_->statusText, "can't read link status");
    EXPECT_EQ(box(1010), "can't read link status");
    EXPECT_EQ(commandsSince(before), std::vector<std::string>(4, "rd 8c71"));
    EXPECT_EQ(clock_.sleptMs() - slept, 3000);
    EXPECT_EQ(windowTitle(), "Quillon Configurator  [link UP]"); // the last state read
}

TEST_F(ConfigurationPage, WaitForLinkEndsAtTheFirstReadThatFindsTheLinkUp) {
    openPage();
    pair_->dropLink(2500);
    const std::int64_t start = clock_.nowMs();
    int linkUp = 0;
    page_->WaitForLink(50, linkUp);
    EXPECT_EQ(linkUp, 1);
    EXPECT_EQ(windowTitle(), "Quillon Configurator  [link UP]");
    EXPECT_EQ(page_->statusText, "Looking for link status...");
    // Back after 2.5 s, trained 2 to 3 s later: up at the sixth read at the latest.
    EXPECT_LE(clock_.nowMs() - start, 6000);
    EXPECT_GE(clock_.nowMs() - start, 5000);
}

TEST_F(ConfigurationPage, TheWindowIsRepaintedBeforeEachLinkWaitAndAtEachStatus) {
    openPage();
    sheet_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet_.get()));
    PaintCounter sheetPaints(*sheet_);
    std::vector<int> paintsAtSleep;
    WatchedClock watched(clock_, [&](std::int64_t) { paintsAtSleep.push_back(sheetPaints.count); });
    platform::setClock(&watched);
    pair_->dropLink(-1);
    int linkUp = 0;
    page_->WaitForLink(2, linkUp);
    platform::setClock(&clock_);
    ASSERT_EQ(paintsAtSleep.size(), 2u);
    EXPECT_GT(paintsAtSleep[0], 0);
    EXPECT_GT(paintsAtSleep[1], paintsAtSleep[0]);
    EXPECT_EQ(windowTitle(), "Quillon Configurator  [link DOWN]");

    PaintCounter pagePaints(*page_);
    page_->SetStatus("Checking signal/noise ratio...");
    EXPECT_GT(pagePaints.count, 0); // painted before SetStatus returned
    EXPECT_EQ(box(1010), "Checking signal/noise ratio...");
}

TEST_F(ConfigurationPage, LoadDefaultsWritesTheDefaultRatesToTheAddressedUnitAndStartsThem) {
    openPage();
    link_.SelectRemote();
    const std::size_t before = pair_->commandLog().size();
    page_->LoadDefaults();
    EXPECT_EQ(commandsSince(before),
              (std::vector<std::string>{"wr 8c10 54", "wr 8c11 68", "wr 8c12 4b", "wr 8c13 00",
                                        "wr 8c14 b7", "wr 8c15 00", "or 8c00 04"}));
    for (std::size_t i = before; i < pair_->commandLog().size(); ++i)
        EXPECT_EQ(pair_->commandLog()[i].unit, Side::S);
    EXPECT_EQ(page_->statusText, "Loading defaults...");
    EXPECT_NE(trace_.find("\r\nLoading defaults\r\n"), std::string::npos);
}

TEST_F(ConfigurationPage, SaveToEepromStoresTheChosenSidesConfiguration) {
    openPage();
    pair_->setReg(Side::P, 0x8c10, 0x44);
    pair_->setReg(Side::S, 0x8c10, 0x34);

    std::int64_t slept = clock_.sleptMs();
    page_->SaveToEeprom(0);
    EXPECT_EQ(clock_.sleptMs() - slept, 2000);
    EXPECT_EQ(pair_->eeprom(Side::S, 0x8c10), 0x34);
    EXPECT_EQ(pair_->eeprom(Side::P, 0x8c10), 0x54);
    EXPECT_EQ(page_->statusText, "Saving config on EEPROM - S Side");

    slept = clock_.sleptMs();
    page_->SaveToEeprom(1);
    EXPECT_EQ(clock_.sleptMs() - slept, 0);
    EXPECT_EQ(pair_->eeprom(Side::P, 0x8c10), 0x44);
    EXPECT_EQ(page_->statusText, "Saving config on EEPROM - P Side");
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
    EXPECT_NE(trace_.find("\r\nSaving config on EEPROM - S Side\r\n"), std::string::npos);
    EXPECT_NE(trace_.find("\r\nSaving config on EEPROM - P Side\r\n"), std::string::npos);
}

struct EnterCase {
    const char* name;
    std::optional<std::string> file;
    int procedures;
};

class EnterKey : public ConfigurationPage, public ::testing::WithParamInterface<EnterCase> {};

// Enter in a list gives the OK command, which is Apply; not while Apply is disabled.
TEST_P(EnterKey, RunsApplyOnlyWhenItIsEnabled) {
    openPage(GetParam().file);
    for (QWidget* list :
         {static_cast<QWidget*>(page_->upMinList), static_cast<QWidget*>(page_->algorithmList)})
        QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(countInTrace("\r\nStarting procedure\r\n"), GetParam().procedures);
}

INSTANTIATE_TEST_SUITE_P(Files, EnterKey,
                         ::testing::Values(EnterCase{"ProfilesRead", kFourByFour, 2},
                                           EnterCase{"NoFile", std::nullopt, 0}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ConfigurationPage, AboutRunsTheAboutBoxModallyOverTheSheet) {
    openPage();
    std::vector<QWidget*> owners;
    platform::setModalRunner([&](QDialog& dialog) {
        owners.push_back(dialog.parentWidget());
        return 0;
    });
    page_->control<QPushButton>(2)->click();
    platform::setModalRunner({});
    EXPECT_EQ(owners, std::vector<QWidget*>{sheet_.get()});
}

} // namespace
} // namespace speedtest
