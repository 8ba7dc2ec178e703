// The VDSL Status page on the simulated unit pair: what one poll reads, in which order, and what
// the page shows of it.
#include "link/console_state.h"
#include "platform/message_box.h"
#include "status_sheet.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace monitortest {
namespace {

using sim::Side;
using VdslStatusPage = StatusSheet;

constexpr int kSnr = 1009;
constexpr int kMse = 1010;
constexpr int kRsErrors = 1011;
constexpr int kTransmitPower = 1026;
constexpr int kLinkFails = 1027;
// The readouts, then the link and the receiver indicators.
const std::vector<int> kShown = {kSnr, kMse, kRsErrors, kTransmitPower, kLinkFails,
                                 1028, 1029, 1030,      1032,           1033,
                                 1034, 1035, 1036,      1037,           1038};

const std::vector<std::string> kPoll = {
    "rd 8c71",    "rd 8c70",    "rd 8c40",    "rd 8c41", "rd 8D38", "rd 8C98",
    "rd 8C91, 4", "rd 8C99, 3", "rd 8C9C, 2", "rd 8C67", "rd 8C71",
};

TEST_F(VdslStatusPage, ShowingPollsTheLocalUnitOnceThenEachTickPollsTheAddressedUnit) {
    showTab(kVdslTab);
    std::vector<std::string> shown = {"", "rd 8c70"};
    shown.insert(shown.end(), kPoll.begin(), kPoll.end());
    EXPECT_EQ(commands(), shown);
    EXPECT_EQ(events_, std::vector<std::string>{"set vdsl 64 4000"});
    EXPECT_EQ(g_pollTimerId, 64u);
    EXPECT_TRUE(checked(*vdsl_, kLocal));
    EXPECT_EQ(title(), "Quillon Configurator  [link UP]");

    click(*vdsl_, kRemote);
    clearCommands();
    vdsl_->onWindowTimer(64);
    EXPECT_EQ(commands(), kPoll);
    for (const sim::LoggedCommand& command : pair_->commandLog())
        EXPECT_EQ(command.unit, Side::S) << command.text;
}

struct CodeCase {
    const char* name;
    Side unit;
    std::uint8_t downCode; // 8c40
    std::uint8_t upCode;   // 8c41
};

class ReadingCodes : public StatusSheet, public ::testing::WithParamInterface<CodeCase> {};

// v = 100000 with constellation 0 gives 41.80 / 19.20; w = 1000, g = 0 with code 54 gives
// -1.47. The other direction's code would give 29.20 / 10.00 and -9.00.
TEST_P(ReadingCodes, AUnitMeasuresWithTheCodeItReceivesAndSendsWithTheOther) {
    const CodeCase& c = GetParam();
    fix(c.unit, 0x8c40, c.downCode);
    fix(c.unit, 0x8c41, c.upCode);
    fix(c.unit, 0x8c99, 100000);
    fix(c.unit, 0x8c9c, 1000);
    fix(c.unit, 0x8c67, 0xF8); // only bits 2..0 count
    showTab(kVdslTab);
    if (c.unit == Side::S)
        click(*vdsl_, kRemote);
    vdsl_->onWindowTimer(64);
    EXPECT_EQ(text(*vdsl_, kSnr), "41.80");
    EXPECT_EQ(text(*vdsl_, kMse), "19.20");
    EXPECT_EQ(text(*vdsl_, kTransmitPower), "-1.47");
    EXPECT_EQ(vdsl_->txPowerText, "-1.47");
    EXPECT_TRUE(vdsl_->control<QWidget>(kTransmitPower)->isHidden());
}

INSTANTIATE_TEST_SUITE_P(Sides, ReadingCodes,
                         ::testing::Values(CodeCase{"PSide", Side::P, 0x00, 0x54},
                                           CodeCase{"SSide", Side::S, 0x54, 0x00}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(VdslStatusPage, IndicatorsShowTheirBitsAndCountersTheirUnsignedValues) {
    fix(Side::P, 0x8d38, 0xFF);
    fix(Side::P, 0x8c91, 4000000000u);
    showTab(kVdslTab);
    EXPECT_EQ(text(*vdsl_, kLinkFails), "255");
    EXPECT_EQ(text(*vdsl_, kRsErrors), "4000000000");
    struct Bits {
        std::uint8_t link, receiver;
        std::vector<int> checked;
    };
    // Bits 0x10 and 0x01 of the link state are shown nowhere.
    for (const Bits& bits : {Bits{0xA5, 0x85, {1028, 1030, 1033, 1035, 1036, 1038}},
                             Bits{0x5A, 0x7A, {1029, 1032, 1034, 1037}}}) {
        fix(Side::P, 0x8c71, bits.link);
        fix(Side::P, 0x8c98, bits.receiver);
        vdsl_->onWindowTimer(64);
        for (auto id = kShown.begin() + 5; id != kShown.end(); ++id) {
            const bool expected =
                std::find(bits.checked.begin(), bits.checked.end(), *id) != bits.checked.end();
            EXPECT_EQ(checked(*vdsl_, *id), expected) << *id;
            EXPECT_FALSE(enabled(*vdsl_, *id)) << *id;
        }
    }
}

struct DashCase {
    const char* name;
    std::uint16_t addr;
    std::uint32_t value;
    QString snr, mse, power;
};

class NoReading : public StatusSheet, public ::testing::WithParamInterface<DashCase> {};

TEST_P(NoReading, ShowsADashForWhatCannotBeComputed) {
    const DashCase& c = GetParam();
    fix(Side::P, 0x8c40, 0x00);
    fix(Side::P, 0x8c41, 0x54);
    fix(Side::P, 0x8c99, 100000);
    fix(Side::P, 0x8c9c, 1000);
    fix(Side::P, 0x8c67, 0);
    fix(Side::P, c.addr, c.value);
    showTab(kVdslTab);
    EXPECT_EQ(text(*vdsl_, kSnr), c.snr);
    EXPECT_EQ(text(*vdsl_, kMse), c.mse);
    EXPECT_EQ(text(*vdsl_, kTransmitPower), c.power);
}

INSTANTIATE_TEST_SUITE_P(
    Values, NoReading,
    ::testing::Values(DashCase{"NoiseZero", 0x8c99, 0, "-", "-", "-1.47"},
                      DashCase{"LevelZero", 0x8c9c, 0, "41.80", "19.20", "-"},
                      // Constellation index 7, rate index 11: no table entries.
                      DashCase{"SnrCodeOutsideTheTables", 0x8c40, 0x0E, "-", "-", "-1.47"},
                      DashCase{"PowerCodeOutsideTheTables", 0x8c41, 0xB4, "41.80", "19.20", "-"}),
    [](const auto& param) { return std::string(param.param.name); });

struct NoValueCase {
    const char* name;
    const char* reg;
    std::vector<int> unchanged; // controls that keep the previous poll's value
};

class ReadWithoutValue : public StatusSheet, public ::testing::WithParamInterface<NoValueCase> {
protected:
    // Poll n's values: each poll shows other texts and other check marks.
    void fixPoll(std::uint32_t n) {
        fix(Side::P, 0x8c40, 0x00);
        fix(Side::P, 0x8c41, 0x54);
        fix(Side::P, 0x8c99, 100000 * n);
        fix(Side::P, 0x8c9c, 1000 * n);
        fix(Side::P, 0x8c67, 0);
        fix(Side::P, 0x8d38, n);
        fix(Side::P, 0x8c91, 10 * n);
        fix(Side::P, 0x8c98, n == 1 ? 0x85 : 0x02);
        fix(Side::P, 0x8c71, n == 1 ? 0xAE : 0x51);
    }
    std::vector<QString> shown() const {
        std::vector<QString> all;
        for (std::size_t i = 0; i < kShown.size(); ++i)
            all.push_back(i < 5 ? text(*vdsl_, kShown[i]) : checked(*vdsl_, kShown[i]) ? "x" : "");
        return all;
    }
};

TEST_P(ReadWithoutValue, LeavesWhatTheReadFeedsAsItWasForThatPoll) {
    const NoValueCase& c = GetParam();
    fixPoll(2);
    showTab(kVdslTab);
    const std::vector<QString> second = shown();
    fixPoll(1);
    vdsl_->onWindowTimer(64);
    const std::vector<QString> first = shown();

    pair_->faults().noValueRegister = c.reg;
    fixPoll(2);
    vdsl_->onWindowTimer(64);
    const std::vector<QString> now = shown();
    for (std::size_t i = 0; i < kShown.size(); ++i) {
        const bool keeps =
            std::find(c.unchanged.begin(), c.unchanged.end(), kShown[i]) != c.unchanged.end();
        ASSERT_NE(first[i], second[i]) << kShown[i];
        EXPECT_EQ(now[i], keeps ? first[i] : second[i]) << kShown[i];
    }
}

INSTANTIATE_TEST_SUITE_P(
    Registers, ReadWithoutValue,
    ::testing::Values(NoValueCase{"UnitType", "8c70", {kSnr, kMse, kTransmitPower}},
                      NoValueCase{"DownstreamCode", "8c40", {kSnr, kMse}},
                      NoValueCase{"UpstreamCode", "8c41", {kTransmitPower}},
                      NoValueCase{"LinkFails", "8D38", {kLinkFails}},
                      NoValueCase{"Receiver", "8C98", {1035, 1036, 1037, 1038}},
                      NoValueCase{"CorrectedErrors", "8C91", {kRsErrors}},
                      NoValueCase{"Noise", "8C99", {kSnr, kMse}},
                      NoValueCase{"TransmitLevel", "8C9C", {kTransmitPower}},
                      NoValueCase{"GainStep", "8C67", {kTransmitPower}}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(VdslStatusPage, AFirstPollWithoutValuesShowsNothingMadeUp) {
    pair_->faults().noValueRegister = "8C99";
    showTab(kVdslTab);
    EXPECT_EQ(text(*vdsl_, kSnr), "");
    EXPECT_EQ(text(*vdsl_, kMse), "");
    EXPECT_NE(text(*vdsl_, kTransmitPower), "");
}

TEST_F(VdslStatusPage, ALinkStateWithoutValueCountsAsLinkDown) {
    showTab(kVdslTab);
    click(*vdsl_, kRemote);
    pair_->faults().noValueRegister = "8c71";
    vdsl_->onWindowTimer(64);
    EXPECT_EQ(title(), "Quillon Configurator  [link DOWN]");
    EXPECT_TRUE(checked(*vdsl_, kLocal));
    EXPECT_FALSE(enabled(*vdsl_, kRemote));
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
}

TEST_F(VdslStatusPage, LinkDropWhileRemoteIsCheckedFallsBackToTheLocalUnitInTheSameTick) {
    fix(Side::P, 0x8d38, 11);
    fix(Side::S, 0x8d38, 22);
    showTab(kVdslTab);
    click(*vdsl_, kRemote);
    EXPECT_EQ(pair_->addressedUnit(), Side::S);
    EXPECT_EQ(text(*vdsl_, kLinkFails), "11"); // nothing read at the click
    vdsl_->onWindowTimer(64);
    EXPECT_EQ(text(*vdsl_, kLinkFails), "22");

    pair_->dropLink(-1);
    vdsl_->onWindowTimer(64);
    EXPECT_EQ(title(), "Quillon Configurator  [link DOWN]");
    EXPECT_TRUE(checked(*vdsl_, kLocal));
    EXPECT_FALSE(checked(*vdsl_, kRemote));
    EXPECT_FALSE(enabled(*vdsl_, kRemote));
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
    EXPECT_EQ(text(*vdsl_, kLinkFails), "11");

    // The link comes back: Remote can be chosen again, but the page stays on the local unit.
    pair_->restoreLine();
    wait(4000);
    ASSERT_TRUE(pair_->linkUp());
    clearCommands();
    vdsl_->onWindowTimer(64);
    EXPECT_EQ(title(), "Quillon Configurator  [link UP]");
    EXPECT_TRUE(enabled(*vdsl_, kRemote));
    EXPECT_FALSE(checked(*vdsl_, kRemote));
    EXPECT_TRUE(checked(*vdsl_, kLocal));
    EXPECT_EQ(commands(), kPoll);
    EXPECT_EQ(text(*vdsl_, kLinkFails), "11");
}

TEST_F(VdslStatusPage, ShowingAgainResetsTheSideToLocalAndRefreshesBeforeTheFirstTick) {
    fix(Side::P, 0x8d38, 11);
    fix(Side::S, 0x8d38, 22);
    showTab(kVdslTab);
    click(*vdsl_, kRemote);
    vdsl_->onWindowTimer(64);
    showTab(kBlankTab);
    // Hidden: the page keeps what it shows and the console stays on the remote unit.
    EXPECT_TRUE(checked(*vdsl_, kRemote));
    EXPECT_EQ(pair_->addressedUnit(), Side::S);
    showTab(kVdslTab);
    EXPECT_TRUE(checked(*vdsl_, kLocal));
    EXPECT_FALSE(checked(*vdsl_, kRemote));
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
    EXPECT_EQ(text(*vdsl_, kLinkFails), "11");
}

TEST_F(VdslStatusPage, AFailedTimerStartIsReportedAndThePageShowsItsOneRefresh) {
    failTimers_ = true;
    showTab(kVdslTab);
    EXPECT_EQ(events_,
              (std::vector<std::string>{"set vdsl 64 4000", "box " + platform::applicationName() +
                                                                ": Failed to create Timer"}));
    EXPECT_EQ(boxes_.at(0).owner, vdsl_);
    EXPECT_EQ(g_pollTimerId, 0u);
    EXPECT_FALSE(text(*vdsl_, kSnr).isEmpty());
    // Nothing to kill when hidden or destroyed.
    showTab(kBlankTab);
    destroySheet();
    EXPECT_EQ(events_.size(), 2u);
}

} // namespace
} // namespace monitortest
