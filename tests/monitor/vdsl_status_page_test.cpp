// The VDSL Status page on the simulated unit pair: what one poll reads, in which order, what
// the page shows of it and what its line history records.
#include "link/console_state.h"
#include "status_sheet.h"

#include <gtest/gtest.h>

namespace monitortest {
namespace {

namespace ids = res::ids::vdsl_status;

const Lines kPoll = {"rd 8c71",    "rd 8c70",    "rd 8c40",    "rd 8c41", "rd 8D38", "rd 8C98",
                     "rd 8C91, 4", "rd 8C99, 3", "rd 8C9C, 2", "rd 8C67", "rd 8C71"};

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
        for (const auto& [addr, value] :
             {std::pair{0x8c40, down}, std::pair{0x8c41, up}, std::pair{0x8c99, 100000 * n},
              std::pair{0x8c9c, 1000 * n}, std::pair{0x8c67, 0xF8u}, std::pair{0x8d38, n}})
            fix(side, static_cast<std::uint16_t>(addr), value);
    }
    Lines readings() const { // SNR, MSE, power, link fails
        const Lines all = vdslShown();
        return {all[0], all[1], all[3], all[4]};
    }
    std::string marks() const {
        std::string all;
        for (std::size_t i = 5; i < vdslShown().size(); ++i)
            all += vdslShown()[i];
        return all;
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
    EXPECT_EQ(text(*vdsl_, ids::kLinkFailCounter), "1"); // nothing read at the click
    clearCommands();
    tick();
    EXPECT_EQ(commands(), kPoll);
    EXPECT_EQ(readings(), (Lines{"41.80", "19.20", "-1.47", "2"}));
    EXPECT_TRUE(vdsl_->control<QWidget>(ids::kTransmitPower)->isHidden());
    // Hidden, the page keeps what it shows and the console its unit; shown again, it starts
    // over from the local unit before the first tick.
    showTab(kBlankTab);
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Remote on S");
    showTab(kVdslTab);
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Local on P");
    EXPECT_EQ(text(*vdsl_, ids::kLinkFailCounter), "1");
}

TEST_F(VdslStatusPage, LinkDropOrNoLinkStateWhileRemoteIsCheckedFallsBackInTheSameTick) {
    showTab(kVdslTab);
    for (bool drop : {false, true}) {
        click(*vdsl_, kRemote);
        tick();
        EXPECT_EQ(text(*vdsl_, ids::kLinkFailCounter), "2");
        // A unit that does not report its link state counts as link down.
        if (drop)
            pair_->dropLink(-1);
        else
            pair_->faults().noValueRegister = "8c71";
        tick();
        pair_->faults().noValueRegister.clear();
        EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link DOWN]: Local, Remote disabled, on P");
        EXPECT_EQ(text(*vdsl_, ids::kLinkFailCounter), "1");
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
    EXPECT_EQ(text(*vdsl_, ids::kRsErrors), "4000000000");
    pair_->faults().noValueRegister.clear();
    fix(Side::P, 0x8c71, 0x5A);
    fix(Side::P, 0x8c98, 0x7A);
    tick();
    EXPECT_EQ(marks(), ".x.x.x..x.");
    EXPECT_FALSE(
        vdsl_->controls().widget(ids::kFullConstellationLink)->isEnabled()); // indicators only show
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

// A read without value leaves the boxes it feeds as they were and records nothing for it; the
// rest of the poll is shown and recorded.
TEST_F(VdslStatusPage, AReadWithoutValueLeavesWhatItFeedsAsItWasAndRecordsNothing) {
    using Empty = bool (*)(const monitor::LineSample&);
    const std::vector<std::tuple<const char*, std::vector<int>, Empty>> cases = {
        {"8c70",
         {0, 1, 3},
         [](auto& s) { return !s.unitType && !s.snrDb() && !s.transmitPowerDbmHz(); }},
        {"8c40", {0, 1}, [](auto& s) { return !s.downstreamCode && !s.snrDb() && !s.mseDb(); }},
        {"8c41", {3}, [](auto& s) { return !s.upstreamMbps() && !s.transmitPowerDbmHz(); }},
        {"8D38", {4}, [](auto& s) { return !s.linkFailCount.has_value(); }},
        {"8C98", {11, 12, 13, 14}, [](auto& s) { return !s.receiverBits.has_value(); }},
        {"8C91", {2}, [](auto& s) { return !s.correctedErrors.has_value(); }},
        {"8C99", {0, 1}, [](auto& s) { return !s.noise && !s.snrDb() && !s.mseDb(); }},
        {"8C9C", {3}, [](auto& s) { return !s.transmitLevel && !s.transmitPowerDbmHz(); }},
        {"8C67", {3}, [](auto& s) { return !s.gainStep && !s.transmitPowerDbmHz(); }}};
    // Poll n's values: each poll shows other texts and other check marks.
    const auto fixPoll = [this](std::uint32_t n) {
        fixUnit(Side::P, 0x00, 0x54, n);
        fix(Side::P, 0x8c91, 10 * n);
        fix(Side::P, 0x8c98, n == 1 ? 0x85 : 0x02);
        fix(Side::P, 0x8c71, n == 1 ? 0xAE : 0x51);
    };
    fixPoll(2);
    showTab(kVdslTab);
    const Lines second = vdslShown();
    for (const auto& [reg, fed, isEmpty] : cases) {
        fixPoll(1);
        tick();
        Lines expected = vdslShown();
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_NE(expected[i], second[i]) << i;
            if (std::count(fed.begin(), fed.end(), i) == 0)
                expected[i] = second[i];
        }
        pair_->faults().noValueRegister = reg;
        fixPoll(2);
        tick();
        pair_->faults().noValueRegister.clear();
        EXPECT_EQ(vdslShown(), expected) << reg;
        EXPECT_TRUE(isEmpty(vdsl_->lineHistory().samples().back())) << reg;
    }
}

} // namespace
} // namespace monitortest
