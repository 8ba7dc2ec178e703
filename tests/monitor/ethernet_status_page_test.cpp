// The Ethernet Status page on the simulated unit pair: the fifteen sums, Clear, the side
// buttons and Start/Stop.
#include "link/console_state.h"
#include "platform/message_box.h"
#include "status_sheet.h"

#include <QPushButton>
#include <algorithm>
#include <gtest/gtest.h>

namespace monitortest {
namespace {

using sim::Side;

constexpr int kClear = 1031;
constexpr int kStartStop = 1039;

struct CounterRow {
    std::uint16_t addr;
    int control;
    std::uint32_t CEnetStatus::*sum;
};

// Every counter with its box and its sum, in the order a poll reads them.
const std::vector<CounterRow> kCounterRows = {
    {0x8d04, 1023, &CEnetStatus::fcsErrors},
    {0x8d00, 1022, &CEnetStatus::frameTooLongErrors},
    {0x8cfc, 1021, &CEnetStatus::carrierSenseErrors},
    {0x8cf8, 1020, &CEnetStatus::receiveErrors},
    {0x8cf4, 1019, &CEnetStatus::excessiveCollisions},
    {0x8cf0, 1018, &CEnetStatus::lateCollisions},
    {0x8ce8, 1017, &CEnetStatus::multipleCollisions},
    {0x8ce4, 1016, &CEnetStatus::singleCollisions},
    {0x8d10, 1015, &CEnetStatus::rxBroadcastFrames},
    {0x8d08, 1014, &CEnetStatus::rxOctets},
    {0x8d0c, 1044, &CEnetStatus::txOctets},
    {0x8d14, 1013, &CEnetStatus::rxPauseFrames},
    {0x8d18, 1043, &CEnetStatus::txPauseFrames},
    {0x8d20, 1012, &CEnetStatus::rxFrames},
    {0x8d1c, 1042, &CEnetStatus::txFrames},
};

const std::vector<std::string> kPoll = {
    "rd 8c71",    "rd 8D04, 4", "rd 8D00, 4", "rd 8CFC, 4", "rd 8CF8, 4", "rd 8CF4, 4",
    "rd 8CF0, 4", "rd 8CE8, 4", "rd 8CE4, 4", "rd 8D10, 4", "rd 8D08, 4", "rd 8D0C, 4",
    "rd 8D14, 4", "rd 8D18, 4", "rd 8D20, 4", "rd 8D1C, 4",
};

class EthernetStatusPage : public StatusSheet {
protected:
    // Each counter of the unit reads as base times its row number (1 to 15), every time.
    void fixCounters(Side side, std::uint32_t base) {
        for (std::size_t i = 0; i < kCounterRows.size(); ++i)
            fix(side, kCounterRows[i].addr, base * static_cast<std::uint32_t>(i + 1));
    }
    // Checks every sum and its box against base times the row number.
    void expectSums(std::uint32_t base) const {
        for (std::size_t i = 0; i < kCounterRows.size(); ++i) {
            const CounterRow& row = kCounterRows[i];
            const std::uint32_t expected = base * static_cast<std::uint32_t>(i + 1);
            EXPECT_EQ(enet_->*row.sum, expected) << row.control;
            EXPECT_EQ(text(*enet_, row.control), QString::number(expected)) << row.control;
        }
    }
    QString buttonText() const { return enet_->control<QPushButton>(kStartStop)->text(); }
    bool polling() const { return timers_.count({enet_, 64}) == 1; }
};

TEST_F(EthernetStatusPage, APollChecksTheLinkThenReadsTheFifteenCountersInCapitals) {
    showTab(kEnetTab);
    EXPECT_EQ(commands().size(), 2 + kPoll.size());
    clearCommands();
    enet_->onWindowTimer(64);
    EXPECT_EQ(commands(), kPoll);
}

TEST_F(EthernetStatusPage, EveryCounterIsAddedToItsOwnSumUntilClear) {
    fixCounters(Side::P, 1);
    showTab(kEnetTab);
    expectSums(1); // the first values are shown at once
    enet_->onWindowTimer(64);
    expectSums(2);
    clearCommands();
    click(*enet_, kClear);
    expectSums(0);
    EXPECT_TRUE(commands().empty());
    enet_->onWindowTimer(64);
    expectSums(1);
}

TEST_F(EthernetStatusPage, SumsOfClearOnReadCountersHoldEverythingCountedSinceTheFirstRead) {
    showTab(kEnetTab);
    const std::uint32_t afterShow = enet_->rxFrames;
    for (int tick = 0; tick < 3; ++tick) {
        wait(4000);
        enet_->onWindowTimer(64);
    }
    // The P unit receives about 96 to 144 frames a second: 12 s of them, not one poll's 4 s.
    EXPECT_GE(enet_->rxFrames - afterShow, 96u * 12);
    EXPECT_LE(enet_->rxFrames - afterShow, 144u * 13);
    // With no more traffic each counter reads 0: the totals stay.
    pair_->dropLink(-1);
    enet_->onWindowTimer(64);
    std::vector<std::uint32_t> totals;
    for (const CounterRow& row : kCounterRows)
        totals.push_back(enet_->*row.sum);
    wait(4000);
    enet_->onWindowTimer(64);
    for (std::size_t i = 0; i < kCounterRows.size(); ++i)
        EXPECT_EQ(enet_->*kCounterRows[i].sum, totals[i]) << kCounterRows[i].control;
    EXPECT_GT(enet_->rxFrames, 0u);
    EXPECT_GT(enet_->txOctets, enet_->txFrames);
}

TEST_F(EthernetStatusPage, ASumWrapsAroundAt2To32) {
    fix(Side::P, 0x8d1c, 0xFFFFFFFF);
    showTab(kEnetTab);
    EXPECT_EQ(text(*enet_, 1042), "4294967295");
    fix(Side::P, 0x8d1c, 1);
    enet_->onWindowTimer(64);
    EXPECT_EQ(text(*enet_, 1042), "0");
    enet_->onWindowTimer(64);
    EXPECT_EQ(text(*enet_, 1042), "1");
}

TEST_F(EthernetStatusPage, ASideClickClearsTheSumsAndTheNextTickAddsThatUnitsValues) {
    fixCounters(Side::P, 1);
    fixCounters(Side::S, 1000);
    showTab(kEnetTab);
    enet_->onWindowTimer(64);
    expectSums(2);
    click(*enet_, kRemote);
    expectSums(0);
    EXPECT_EQ(pair_->addressedUnit(), Side::S);
    enet_->onWindowTimer(64);
    expectSums(1000);
    click(*enet_, kLocal);
    expectSums(0);
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
    enet_->onWindowTimer(64);
    expectSums(1);
}

TEST_F(EthernetStatusPage, AReplyWithoutValueAddsNothingToThatSum) {
    fixCounters(Side::P, 1);
    pair_->faults().noValueRegister = "8D1C";
    showTab(kEnetTab);
    EXPECT_EQ(enet_->txFrames, 0u); // row 15: nothing read yet
    EXPECT_EQ(text(*enet_, 1042), "0");
    EXPECT_EQ(enet_->fcsErrors, 1u);
    pair_->faults().noValueRegister.clear();
    enet_->onWindowTimer(64);
    EXPECT_EQ(enet_->txFrames, 15u);
    EXPECT_EQ(enet_->fcsErrors, 2u);
    pair_->faults().noValueRegister = "8D04";
    enet_->onWindowTimer(64);
    EXPECT_EQ(enet_->fcsErrors, 2u);
    EXPECT_EQ(enet_->frameTooLongErrors, 6u); // the next counter is not disturbed
    EXPECT_EQ(enet_->txFrames, 30u);
}

TEST_F(EthernetStatusPage, LinkDropWhileRemoteIsCheckedAddsTheLocalValuesToTheSameSums) {
    fixCounters(Side::P, 1);
    fixCounters(Side::S, 1000);
    showTab(kEnetTab);
    click(*enet_, kRemote);
    enet_->onWindowTimer(64);
    expectSums(1000);
    pair_->dropLink(-1);
    enet_->onWindowTimer(64);
    EXPECT_EQ(title(), "Quillon Configurator  [link DOWN]");
    EXPECT_TRUE(checked(*enet_, kLocal));
    EXPECT_FALSE(checked(*enet_, kRemote));
    EXPECT_FALSE(enabled(*enet_, kRemote));
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
    expectSums(1001);
}

// Start/Stop through the page's states: not yet shown, Polling, Stopped, Hidden.
struct Step {
    const char* action; // "show", "hide", "press", "tick"
    bool polling;
    const char* buttonText;
    int running;
    std::uint32_t sums; // in units of the fixed counter values
};

TEST_F(EthernetStatusPage, StartStopFollowsThePagesStatesAcrossHidingAndShowing) {
    fixCounters(Side::P, 1);
    EXPECT_EQ(buttonText(), "Start");
    EXPECT_EQ(enet_->running, 1);
    const std::vector<Step> steps = {
        {"show", true, "Stop", 1, 1},    {"tick", true, "Stop", 1, 2},
        {"press", false, "Start", 0, 2}, {"hide", false, "Start", 0, 2},
        {"show", true, "Stop", 1, 3},    {"press", false, "Start", 0, 3},
        {"press", true, "Stop", 1, 4},   {"hide", false, "Stop", 1, 4},
        {"show", true, "Stop", 1, 5},    {"press", false, "Start", 0, 5},
    };
    for (const Step& step : steps) {
        const std::string action = step.action;
        if (action == "show")
            showTab(kEnetTab);
        else if (action == "hide")
            showTab(kBlankTab);
        else if (action == "press")
            click(*enet_, kStartStop);
        else
            enet_->onWindowTimer(64);
        SCOPED_TRACE(action + " then " + step.buttonText);
        EXPECT_EQ(polling(), step.polling);
        EXPECT_EQ(buttonText(), step.buttonText);
        EXPECT_EQ(enet_->running, step.running);
        expectSums(step.sums);
    }
}

TEST_F(EthernetStatusPage, StartStopWithRemoteCheckedGoesOnCountingTheRemoteUnit) {
    fixCounters(Side::P, 1);
    fixCounters(Side::S, 1000);
    showTab(kEnetTab);
    click(*enet_, kRemote);
    enet_->onWindowTimer(64);
    click(*enet_, kStartStop);
    EXPECT_TRUE(checked(*enet_, kRemote));
    EXPECT_EQ(pair_->addressedUnit(), Side::S);
    expectSums(1000);
    click(*enet_, kStartStop);
    expectSums(2000);
    enet_->onWindowTimer(64);
    expectSums(3000);
}

TEST_F(EthernetStatusPage, AFailedTimerStartLeavesStopShownAndTheNextPressKillsNothing) {
    failTimers_ = true;
    showTab(kEnetTab);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].text, "Failed to create Timer");
    EXPECT_EQ(boxes_[0].caption, platform::applicationName());
    EXPECT_EQ(buttonText(), "Stop");
    EXPECT_EQ(enet_->running, 1);
    events_.clear();
    click(*enet_, kStartStop);
    EXPECT_TRUE(events_.empty());
    EXPECT_EQ(buttonText(), "Start");
    EXPECT_EQ(enet_->running, 0);
    click(*enet_, kStartStop); // still failing: the flag turns all the same
    EXPECT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(buttonText(), "Stop");
    EXPECT_EQ(enet_->running, 1);
}

} // namespace
} // namespace monitortest
