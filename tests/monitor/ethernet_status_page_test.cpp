// The Ethernet Status page on the simulated unit pair: the fifteen sums, Clear, the side
// buttons and Start/Stop. Then what both status pages share: one poll timer between them, the
// failure to start it and the refusal of an S-side unit (a poll's fatal error is in the fault
// matrix).
#include "link/console_state.h"
#include "status_sheet.h"

#include <gtest/gtest.h>

namespace monitortest {
namespace {

using namespace res::ids::ethernet_status;

// A poll: the link check, then the fifteen counters in the order of their boxes.
const Lines kPoll = {"rd 8c71",    "rd 8D04, 4", "rd 8D00, 4", "rd 8CFC, 4",
                     "rd 8CF8, 4", "rd 8CF4, 4", "rd 8CF0, 4", "rd 8CE8, 4",
                     "rd 8CE4, 4", "rd 8D10, 4", "rd 8D08, 4", "rd 8D0C, 4",
                     "rd 8D14, 4", "rd 8D18, 4", "rd 8D20, 4", "rd 8D1C, 4"};
// clang-format off
const int kBoxes[] = {kFcsErrors, kFrameTooLongErrors, kCarrierSenseErrors, kReceiveErrors,
                      kExcessiveCollisions, kLateCollisions, kMultipleCollisions,
                      kSingleCollisions, kRxBroadcastFrames, kRxOctets, kTxOctets, kRxPauseFrames,
                      kTxPauseFrames, kRxFrames, kTxFrames};
// clang-format on

class EthernetStatusPage : public StatusSheet {
protected:
    // Each counter reads as 1 (P unit) or 1000 (S unit) times its row number, every time.
    void SetUp() override {
        StatusSheet::SetUp();
        for (std::uint32_t row = 1; row <= std::size(kBoxes); ++row) {
            const auto reg =
                static_cast<std::uint16_t>(std::stoul(kPoll[row].substr(3, 4), {}, 16));
            fix(Side::P, reg, row);
            fix(Side::S, reg, 1000 * row);
        }
    }
    void tick() { enet_->onWindowTimer(64); }
    void expectSums(std::uint32_t base) const { // every box shows base times its row number
        for (std::uint32_t row = 1; row <= std::size(kBoxes); ++row)
            EXPECT_EQ(text(*enet_, kBoxes[row - 1]), QString::number(base * row)) << row;
    }
    QString button() const { return enet_->control<QAbstractButton>(kStartStop)->text(); }
};

TEST_F(EthernetStatusPage, APollChecksTheLinkThenAddsTheFifteenCountersReadInCapitals) {
    showTab(kEnetTab);
    expectSums(1); // the first values are shown at once
    clearCommands();
    tick();
    EXPECT_EQ(commands(), kPoll);
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

// The journal's row of a poll: side, each counter as read (empty without a value), then the sums.
TEST_F(EthernetStatusPage, JournalRowsHoldEachReadAsGivenThenTheSumsAfterThePoll) {
    startJournal();
    showTab(kEnetTab);
    pair_->faults().noValueRegister = "8D04";
    tick();
    std::string first = "Local";
    std::string second = "Local,";
    for (std::uint32_t row = 1; row <= std::size(kBoxes); ++row)
        first += ',' + std::to_string(row);
    for (std::uint32_t row = 2; row <= std::size(kBoxes); ++row)
        second += ',' + std::to_string(row);
    second += ",1";
    for (std::uint32_t row = 2; row <= std::size(kBoxes); ++row)
        second += ',' + std::to_string(2 * row);
    const std::string csv = journalFile("ethernet.csv");
    EXPECT_TRUE(csv.starts_with("Time,Side,FCS Errors,Frame Too Long Errors,")) << csv;
    EXPECT_NE(csv.find("Transmitted Frames,FCS Errors sum,"), std::string::npos) << csv;
    EXPECT_NE(csv.find(first + ',' + first.substr(6) + "\r\n"), std::string::npos) << csv;
    EXPECT_TRUE(csv.ends_with(second + "\r\n")) << csv;
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

// A remote unit out of reach leaves the page on the local unit with Local checked and its sums
// begun anew, after a click on Remote as after Start/Stop with Remote checked.
TEST_F(EthernetStatusPage, AnUnreachableRemoteUnitLeavesThePageOnTheLocalOne) {
    showTab(kEnetTab);
    pair_->faults().remoteUnreachable = true;
    click(*enet_, kRemote);
    EXPECT_EQ(sides(*enet_), "Quillon Configurator  [link UP]: Local on P");
    tick();
    expectSums(1);
    pair_->faults().remoteUnreachable = false;
    click(*enet_, kRemote);
    tick();
    pair_->faults().remoteUnreachable = true;
    click(*enet_, kStartStop);
    EXPECT_EQ(sides(*enet_), "Quillon Configurator  [link UP]: Local on P");
    expectSums(0);
    EXPECT_NE(trace_.find("\r\nRemote unit not reachable\r\n"), std::string::npos);
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

using StatusPages = StatusSheet;
using Alive = std::set<std::pair<platform::WindowHandle, unsigned>>;
using testsupport::exitStatusOf;

TEST_F(StatusPages, SwitchingPagesKeepsExactlyOnePollTimerAlive) {
    const Alive vdsl{{vdsl_, 64}}, enet{{enet_, 64}};
    for (const auto& [tab, alive] : {std::pair{kVdslTab, vdsl}, std::pair{kEnetTab, enet},
                                     std::pair{kBlankTab, Alive{}}, std::pair{kEnetTab, enet}}) {
        showTab(tab);
        EXPECT_EQ(timers_, alive) << tab;
    }
    sheet_->hide(); // the sheet's pages are hidden with it
    EXPECT_TRUE(timers_.empty());
    auto alone = std::make_unique<CStatus>(); // destroyed while shown
    alone->show();
    EXPECT_EQ(timers_.size(), 1u);
    alone.reset();
    EXPECT_TRUE(timers_.empty());
}

TEST_F(StatusPages, AFailedTimerStartIsReportedAndNothingIsKilledLater) {
    failTimers_ = true;
    showTab(kVdslTab);
    EXPECT_NE(text(*vdsl_, res::ids::vdsl_status::kSnr), ""); // the one refresh is shown
    EXPECT_EQ(takeBoxes().at(0).owner, vdsl_);
    showTab(kEnetTab);
    // The Ethernet page's button and flag turn at each press all the same.
    for (const char* expected : {"Stop", "Start", "Stop"}) {
        EXPECT_EQ(enet_->control<QAbstractButton>(res::ids::ethernet_status::kStartStop)->text(),
                  expected);
        EXPECT_EQ(enet_->running, expected == std::string("Stop") ? 1 : 0);
        click(*enet_, res::ids::ethernet_status::kStartStop);
    }
    sheet_.reset();
    const std::string box = "box " + platform::applicationName() + ": Failed to create Timer";
    const std::string set = "set enet 64 4000";
    EXPECT_EQ(events_, (Lines{"set vdsl 64 4000", box, set, box, set, box}));
    EXPECT_EQ(takeBoxes().size(), 2u);
    EXPECT_EQ(g_pollTimerId, 0u);
}

class EitherPage : public StatusSheet, public ::testing::WithParamInterface<bool> {
protected:
    bool vdsl() const { return GetParam(); }
};

// An S-side unit on the cable when the VDSL page is shown, or when Start/Stop is pressed on the
// polling Ethernet page. The handlers are called directly: the process end unwinds to the test,
// which must not cross the window system's machinery.
TEST_P(EitherPage, AnSSideUnitOnTheCableEndsTheProcessWithoutTheFatalBox) {
    if (!vdsl())
        showTab(kEnetTab);
    pair_->setAttached(Side::S);
    events_.clear();
    clearCommands();
    EXPECT_EQ(exitStatusOf([&] { vdsl() ? vdsl_->onShown() : enet_->onStartStop(); }), 1);
    const std::string refusal =
        "box " + platform::applicationName() + ": P side must be connected to start this procedure";
    EXPECT_EQ(events_, (vdsl() ? Lines{refusal} : Lines{"kill enet 64", refusal}));
    EXPECT_EQ(takeBoxes().at(0).owner, vdsl() ? vdsl_ : static_cast<QWidget*>(enet_));
    EXPECT_EQ(commands(), (Lines{"", "rd 8c70"}));
    EXPECT_EQ(g_portHandle, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Pages, EitherPage, ::testing::Bool(),
                         [](const auto& vdsl) { return vdsl.param ? "Vdsl" : "Ethernet"; });

} // namespace
} // namespace monitortest
