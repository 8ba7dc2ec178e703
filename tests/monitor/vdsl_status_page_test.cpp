// The VDSL Status page on the simulated unit pair: what one poll reads, in which order, and what
// the page shows of it.
#include "link/console_state.h"
#include "status_sheet.h"

#include <gtest/gtest.h>
#include <numeric>

namespace monitortest {
namespace {

constexpr int kSnr = 1009, kMse = 1010, kRsErrors = 1011, kPower = 1026, kLinkFails = 1027;
// The readouts, then the link and the receiver indicators.
const std::vector<int> kShown = {kSnr, kMse, kRsErrors, kPower, kLinkFails, 1028, 1029, 1030,
                                 1032, 1033, 1034,      1035,   1036,       1037, 1038};
const Lines kPoll = {"rd 8c71",    "rd 8c70",    "rd 8c40",    "rd 8c41", "rd 8D38", "rd 8C98",
                     "rd 8C91, 4", "rd 8C99, 3", "rd 8C9C, 2", "rd 8C67", "rd 8C71"};

// The controls each register feeds, which a read without a value leaves as they were.
const std::vector<std::pair<const char*, std::vector<int>>> kFedBy = {
    {"8c70", {kSnr, kMse, kPower}},
    {"8c40", {kSnr, kMse}},
    {"8c41", {kPower}},
    {"8D38", {kLinkFails}},
    {"8C98", {1035, 1036, 1037, 1038}},
    {"8C91", {kRsErrors}},
    {"8C99", {kSnr, kMse}},
    {"8C9C", {kPower}},
    {"8C67", {kPower}}};

class VdslStatusPage : public StatusSheet {
protected:
    // Each unit measures with the code it receives and sends with the other: both show 41.80 /
    // 19.20 / -1.47 (the other codes would give 29.20 / 10.00 and -9.00). P has 1 link fail, S 2.
    void SetUp() override {
        StatusSheet::SetUp();
        fixUnit(Side::P, 0x00, 0x54, 1);
        fixUnit(Side::S, 0x54, 0x00, 1);
        fix(Side::S, 0x8d38, 2);
    }
    void tick() { vdsl_->onWindowTimer(64); }
    // Codes down and up, v = 100000 n, w = 1000 n, g = 0 (only bits 2..0 count), n link fails.
    void fixUnit(Side side, std::uint32_t down, std::uint32_t up, std::uint32_t n) {
        fix(side, 0x8c40, down);
        fix(side, 0x8c41, up);
        fix(side, 0x8c99, 100000 * n);
        fix(side, 0x8c9c, 1000 * n);
        fix(side, 0x8c67, 0xF8);
        fix(side, 0x8d38, n);
    }
    // The readouts' texts, then "x" or "." for each indicator.
    Lines shown() const {
        Lines all;
        for (int id : kShown)
            all.push_back(id < 1028 ? text(*vdsl_, id).toStdString()
                                    : (checked(*vdsl_, id) ? "x" : "."));
        return all;
    }
    Lines readings() const { return {shown()[0], shown()[1], shown()[3], shown()[4]}; }
    std::string marks() const {
        const Lines all = shown();
        return std::accumulate(all.begin() + 5, all.end(), std::string());
    }
};

TEST_F(VdslStatusPage, PollsTheLocalUnitWhenShownThenTheAddressedUnitAtEachTick) {
    showTab(kVdslTab);
    Lines atShow = {"", "rd 8c70"};
    atShow.insert(atShow.end(), kPoll.begin(), kPoll.end());
    EXPECT_EQ(commands(), atShow);
    EXPECT_EQ(events_, Lines{"set vdsl 64 4000"});
    EXPECT_EQ(g_pollTimerId, 64u);
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Local on P");
    EXPECT_EQ(readings(), (Lines{"41.80", "19.20", "-1.47", "1"}));
    click(*vdsl_, kRemote);
    EXPECT_EQ(text(*vdsl_, kLinkFails), "1"); // nothing read at the click
    clearCommands();
    tick();
    EXPECT_EQ(commands(), kPoll);
    EXPECT_EQ(readings(), (Lines{"41.80", "19.20", "-1.47", "2"}));
    EXPECT_TRUE(vdsl_->control<QWidget>(kPower)->isHidden());
    // Hidden, the page keeps what it shows and the console its unit; shown again, it starts
    // over from the local unit before the first tick.
    showTab(kBlankTab);
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Remote on S");
    showTab(kVdslTab);
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Local on P");
    EXPECT_EQ(text(*vdsl_, kLinkFails), "1");
}

TEST_F(VdslStatusPage, LinkDropOrNoLinkStateWhileRemoteIsCheckedFallsBackInTheSameTick) {
    const std::string fellBack = "Quillon Configurator  [link DOWN]: Local, Remote disabled, on P";
    showTab(kVdslTab);
    for (bool drop : {false, true}) {
        click(*vdsl_, kRemote);
        tick();
        EXPECT_EQ(text(*vdsl_, kLinkFails), "2");
        // A unit that does not report its link state counts as link down.
        if (drop)
            pair_->dropLink(-1);
        else
            pair_->faults().noValueRegister = "8c71";
        tick();
        pair_->faults().noValueRegister.clear();
        EXPECT_EQ(sides(*vdsl_), fellBack);
        EXPECT_EQ(text(*vdsl_, kLinkFails), "1");
        tick();
    }
    // The link comes back: Remote can be chosen again, but the page stays on the local unit.
    pair_->restoreLine();
    wait(4000);
    clearCommands();
    tick();
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Local on P");
    EXPECT_EQ(commands(), kPoll);
}

// Indicators show their bits, counters their unsigned values; what cannot be computed shows a
// dash, and nothing made up is shown at first.
TEST_F(VdslStatusPage, IndicatorsCountersAndDashesShowWhatWasRead) {
    fix(Side::P, 0x8d38, 0xFF);
    fix(Side::P, 0x8c91, 4000000000u);
    fix(Side::P, 0x8c71, 0xA5); // bits 0x10 and 0x01 are shown nowhere
    fix(Side::P, 0x8c98, 0x85);
    pair_->faults().noValueRegister = "8C99";
    showTab(kVdslTab);
    EXPECT_EQ(readings(), (Lines{"", "", "-1.47", "255"}));
    EXPECT_EQ(marks(), "x.x.x.xx.x");
    EXPECT_EQ(text(*vdsl_, kRsErrors), "4000000000");
    pair_->faults().noValueRegister.clear();
    fix(Side::P, 0x8c71, 0x5A);
    fix(Side::P, 0x8c98, 0x7A);
    tick();
    EXPECT_EQ(marks(), ".x.x.x..x.");
    for (std::size_t i = 5; i < kShown.size(); ++i)
        EXPECT_FALSE(vdsl_->controls().widget(kShown[i])->isEnabled()) << kShown[i];
    // Noise 0, level 0, codes 0E and B4: constellation index 7 and rate index 11, outside the
    // tables.
    for (const auto& [addr, value, expected] :
         {std::tuple{0x8c99, 0u, Lines{"-", "-", "-1.47", "1"}},
          std::tuple{0x8c9c, 0u, Lines{"41.80", "19.20", "-", "1"}},
          std::tuple{0x8c40, 0x0Eu, Lines{"-", "-", "-1.47", "1"}},
          std::tuple{0x8c41, 0xB4u, Lines{"41.80", "19.20", "-", "1"}}}) {
        fixUnit(Side::P, 0x00, 0x54, 1);
        fix(Side::P, static_cast<std::uint16_t>(addr), value);
        tick();
        EXPECT_EQ(readings(), expected) << std::hex << addr;
    }
}

TEST_F(VdslStatusPage, AReadWithoutValueLeavesWhatItFeedsAsItWasForThatPoll) {
    // Poll n's values: each poll shows other texts and other check marks.
    const auto fixPoll = [this](std::uint32_t n) {
        fixUnit(Side::P, 0x00, 0x54, n);
        fix(Side::P, 0x8c91, 10 * n);
        fix(Side::P, 0x8c98, n == 1 ? 0x85 : 0x02);
        fix(Side::P, 0x8c71, n == 1 ? 0xAE : 0x51);
    };
    fixPoll(2);
    showTab(kVdslTab);
    const Lines second = shown();
    for (const auto& [reg, unchanged] : kFedBy) {
        fixPoll(1);
        tick();
        Lines expected = shown();
        for (std::size_t i = 0; i < kShown.size(); ++i) {
            ASSERT_NE(expected[i], second[i]) << kShown[i];
            if (std::count(unchanged.begin(), unchanged.end(), kShown[i]) == 0)
                expected[i] = second[i];
        }
        pair_->faults().noValueRegister = reg;
        fixPoll(2);
        tick();
        pair_->faults().noValueRegister.clear();
        EXPECT_EQ(shown(), expected) << reg;
    }
}

} // namespace
} // namespace monitortest
