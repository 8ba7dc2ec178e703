// The Ethernet Status page on the simulated unit pair: the fifteen sums, Clear, the side
// buttons and Start/Stop.
#include "status_sheet.h"

#include <gtest/gtest.h>

namespace monitortest {
namespace {

using namespace res::ids::ethernet_status;

// Every counter register with its box, in the order a poll reads them.
const std::vector<std::pair<std::uint16_t, int>> kCounters = {
    {0x8d04, kFcsErrors},
    {0x8d00, kFrameTooLongErrors},
    {0x8cfc, kCarrierSenseErrors},
    {0x8cf8, kReceiveErrors},
    {0x8cf4, kExcessiveCollisions},
    {0x8cf0, kLateCollisions},
    {0x8ce8, kMultipleCollisions},
    {0x8ce4, kSingleCollisions},
    {0x8d10, kRxBroadcastFrames},
    {0x8d08, kRxOctets},
    {0x8d0c, kTxOctets},
    {0x8d14, kRxPauseFrames},
    {0x8d18, kTxPauseFrames},
    {0x8d20, kRxFrames},
    {0x8d1c, kTxFrames},
};

class EthernetStatusPage : public StatusSheet {
protected:
    // Each counter reads as 1 (P unit) or 1000 (S unit) times its row number, every time.
    void SetUp() override {
        StatusSheet::SetUp();
        for (std::uint32_t row = 1; row <= kCounters.size(); ++row) {
            fix(Side::P, kCounters[row - 1].first, row);
            fix(Side::S, kCounters[row - 1].first, 1000 * row);
        }
    }
    void tick() { enet_->onWindowTimer(64); }
    void expectSums(std::uint32_t base) const { // every box shows base times its row number
        for (std::uint32_t row = 1; row <= kCounters.size(); ++row)
            EXPECT_EQ(text(*enet_, kCounters[row - 1].second), QString::number(base * row)) << row;
    }
    QString button() const { return enet_->control<QAbstractButton>(kStartStop)->text(); }
};

TEST_F(EthernetStatusPage, APollChecksTheLinkThenAddsTheFifteenCountersReadInCapitals) {
    showTab(kEnetTab);
    expectSums(1); // the first values are shown at once
    clearCommands();
    tick();
    EXPECT_EQ(commands(), (Lines{"rd 8c71", "rd 8D04, 4", "rd 8D00, 4", "rd 8CFC, 4", "rd 8CF8, 4",
                                 "rd 8CF4, 4", "rd 8CF0, 4", "rd 8CE8, 4", "rd 8CE4, 4",
                                 "rd 8D10, 4", "rd 8D08, 4", "rd 8D0C, 4", "rd 8D14, 4",
                                 "rd 8D18, 4", "rd 8D20, 4", "rd 8D1C, 4"}));
    expectSums(2);
    clearCommands();
    click(*enet_, kClear);
    expectSums(0);
    EXPECT_TRUE(commands().empty());
    // Sums wrap around at 2^32; a reply without value adds nothing and spares the next counter.
    fix(Side::P, 0x8d1c, 0xFFFFFFFF);
    tick();
    EXPECT_EQ(text(*enet_, kTxFrames), "4294967295");
    fix(Side::P, 0x8d1c, 1);
    pair_->faults().noValueRegister = "8D04";
    tick();
    EXPECT_EQ(text(*enet_, kTxFrames), "0");
    EXPECT_EQ(text(*enet_, kFcsErrors), "1");
    EXPECT_EQ(text(*enet_, kFrameTooLongErrors), "4");
}

// A side click clears the sums; Start/Stop checks the unit on the cable, then goes back to the
// remote unit the sums were begun on rather than adding the local unit's values to them.
TEST_F(EthernetStatusPage, ASideClickClearsTheSumsAndTheNextTickAddsThatUnitsValues) {
    showTab(kEnetTab);
    for (const auto& [side, base] : {std::pair{kRemote, 1000u}, std::pair{kLocal, 1u}}) {
        click(*enet_, side);
        expectSums(0);
        tick();
        expectSums(base);
    }
    click(*enet_, kRemote);
    click(*enet_, kStartStop);
    click(*enet_, kStartStop);
    EXPECT_EQ(sides(*enet_), "Quillon Configurator  [link UP]: Remote on S");
    expectSums(1000);
    // The link drops while Remote is checked: the local values go to the same sums.
    tick();
    pair_->dropLink(-1);
    tick();
    EXPECT_EQ(sides(*enet_), "Quillon Configurator  [link DOWN]: Local, Remote disabled, on P");
    expectSums(2001);
}

// Through the page's states: Polling and Stopped (running 1 and 0), Hidden.
TEST_F(EthernetStatusPage, StartStopFollowsThePagesStatesAcrossHidingAndShowing) {
    EXPECT_EQ(button(), "Start");
    EXPECT_EQ(enet_->running, 1);
    for (const auto& [step, expected, sums] :
         {std::tuple{'s', "Stop", 1u}, std::tuple{'t', "Stop", 2u}, std::tuple{'p', "Start", 2u},
          std::tuple{'h', "Start", 2u}, std::tuple{'s', "Stop", 3u}, std::tuple{'p', "Start", 3u},
          std::tuple{'p', "Stop", 4u}, std::tuple{'h', "Stop", 4u}, std::tuple{'s', "Stop", 5u}}) {
        if (step == 's' || step == 'h') // show, hide
            showTab(step == 's' ? kEnetTab : kBlankTab);
        else
            step == 'p' ? click(*enet_, kStartStop) : tick(); // press, tick
        SCOPED_TRACE(std::string(1, step) + " then " + expected);
        EXPECT_EQ(button(), expected);
        EXPECT_EQ(enet_->running, button() == "Stop" ? 1 : 0);
        EXPECT_EQ(timers_.count({enet_, 64}) == 1, button() == "Stop" && enet_->isVisible());
        expectSums(sums);
    }
}

} // namespace
} // namespace monitortest
