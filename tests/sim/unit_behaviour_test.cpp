// Unit behaviour behind the console: readings, restarts, the S unit's link watchdog.
#include "sim/rate_code.h"
#include "support/sim_fixture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace simtest {
namespace {

using sim::Side;
using UnitBehaviour = SimFixture;

double snrFromReading(std::int64_t v, std::uint8_t code) {
    return sim::snrReferenceDb(code) - 10.0 * std::log10(static_cast<double>(v));
}

double powerFromReading(std::int64_t w, int g, std::uint8_t code) {
    static const int gainStepDb[8] = {0, -1, -2, -3, -4, -5, -5, -5};
    return 20.0 * std::log10(static_cast<double>(w)) + gainStepDb[g & 7] +
           sim::powerOffsetDb(code) - 10.0 * std::log10(30000000.0 / sim::symbolRateDivisor(code));
}

// --- Readings ---------------------------------------------------------------------------------

TEST_F(UnitBehaviour, SnrReadingDecodesToTheLineModelsRatioOfTheReceivedDirection) {
    const sim::LineModel& line = pair_->lineModel();
    // P receives upstream (code 68), S downstream (code 54).
    const double upSnr = line.receivedSnrDb(sim::Direction::Up, 0x68);
    const double downSnr = line.receivedSnrDb(sim::Direction::Down, 0x54);
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(snrFromReading(readBytes("8c99", 3), 0x68), upSnr, 0.21);
    ASSERT_EQ(link_.SelectRemote(), 1);
    for (int i = 0; i < 5; ++i)
        EXPECT_NEAR(snrFromReading(readBytes("8C99", 3), 0x54), downSnr, 0.21);
}

TEST_F(UnitBehaviour, SnrReadingWithoutLinkIsTheLowestTheRegisterHolds) {
    pair_->dropLink(-1);
    EXPECT_EQ(readBytes("8C99", 3), 0xFFFFFF);
}

TEST_F(UnitBehaviour, TransmitPowerDecodesWithTheCodeTheStatusDisplayUses) {
    // P: code of 8c41; S: code of 8c40.
    EXPECT_NEAR(powerFromReading(readBytes("8C9C", 2), readByte("8C67"), 0x68), -1.0, 0.05);
    ASSERT_EQ(link_.SelectRemote(), 1);
    EXPECT_NEAR(powerFromReading(readBytes("8C9C", 2), readByte("8C67"), 0x54), 2.5, 0.05);
}

TEST_F(UnitBehaviour, FixedRegisterReadsAsSetWithoutClearingUntilReleased) {
    EXPECT_FALSE(pair_->fixRegister(Side::P, 0x8c9a, 1)); // not the first byte of 8c99
    EXPECT_FALSE(pair_->fixRegister(Side::P, 0x9000, 1)); // plain memory
    ASSERT_TRUE(pair_->fixRegister(Side::P, 0x8c99, 100000));
    ASSERT_TRUE(pair_->fixRegister(Side::P, 0x8d1c, 0xFFFFFFFF));
    for (int i = 0; i < 2; ++i) { // no read noise, no clear on read
        EXPECT_EQ(readBytes("8C99", 3), 100000);
        EXPECT_EQ(readBytes("8D1C", 4), 0xFFFFFFFF);
    }
    wait(10000);
    pair_->fixRegister(Side::P, 0x8d1c, std::nullopt);
    const std::int64_t counted = readBytes("8D1C", 4); // ten seconds of frames, then cleared
    EXPECT_GT(counted, 100);
    EXPECT_LT(counted, 0xFFFFFFFF);
    EXPECT_LT(readBytes("8D1C", 4), counted);
}

struct BitsCase {
    const char* name;
    void (*arrange)(sim::UnitPair&);
    int linkBits;
    int receiverBits;
};

class StateBits : public SimFixture, public ::testing::WithParamInterface<BitsCase> {};

TEST_P(StateBits, LinkAndReceiverBitsFollowTheLine) {
    GetParam().arrange(*pair_);
    EXPECT_EQ(readByte("8C71"), GetParam().linkBits);
    EXPECT_EQ(readByte("8C98"), GetParam().receiverBits);
}

INSTANTIATE_TEST_SUITE_P(
    States, StateBits,
    ::testing::Values(BitsCase{"up", [](sim::UnitPair&) {}, 0xae, 0x06},
                      BitsCase{"retraining", [](sim::UnitPair& pair) { pair.dropLink(0); }, 0x02,
                               0x84},
                      BitsCase{"cut", [](sim::UnitPair& pair) { pair.dropLink(-1); }, 0x00, 0x80},
                      BitsCase{"remoteRestarting",
                               [](sim::UnitPair& pair) { pair.restart(Side::S); }, 0x00, 0x00}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(UnitBehaviour, TrainingShowsSignalAndAgcOnly) {
    ASSERT_EQ(link_.WriteCommand("or 8c00 04\n"), 1); // same rates again: retrain
    EXPECT_EQ(readByte("8C71"), 0x02);
    EXPECT_EQ(readByte("8C98"), 0x04);
    wait(3000);
    EXPECT_EQ(readByte("8C71"), 0xae);
}

TEST_F(UnitBehaviour, MicroInterruptionBitIsClearedByItsRead) {
    pair_->dropLink(1000);
    wait(4000);
    ASSERT_TRUE(pair_->linkUp());
    EXPECT_EQ(readByte("8C98"), 0x86);
    EXPECT_EQ(readByte("8C98"), 0x06);
}

TEST_F(UnitBehaviour, LinkFailCounterCountsDropsOnBothUnitsUntilARestart) {
    for (int drop = 0; drop < 3; ++drop) {
        pair_->dropLink(500);
        wait(4000);
    }
    EXPECT_EQ(readByte("8D38"), 3);
    ASSERT_EQ(link_.SelectRemote(), 1);
    EXPECT_EQ(readByte("8D38"), 3);
    pair_->restart(Side::S);
    wait(10000);
    EXPECT_EQ(pair_->reg(Side::S, 0x8d38), 0);
    EXPECT_EQ(pair_->reg(Side::P, 0x8d38), 4); // the restart dropped the link once more
}

TEST_F(UnitBehaviour, LinkFailCounterStopsAt255) {
    for (int drop = 0; drop < 300; ++drop) {
        pair_->dropLink(0);
        wait(3000);
    }
    EXPECT_EQ(readByte("8D38"), 255);
}

// --- Restarts -------------------------------------------------------------------------------

TEST_F(UnitBehaviour, RestartedUnitIsSilentForAFewSecondsThenPrompts) {
    ASSERT_EQ(link_.SendWriteCommand("or 8c00 20\n"), 1);
    const std::int64_t restartedAt = clock_.nowMs();
    // Nothing comes within the normal read time-out, and bytes sent meanwhile are ignored.
    EXPECT_EQ(port_->readByte().status, platform::ReadStatus::Timeout);
    char buffer[CConsoleLink::kBufferSize];
    ASSERT_EQ(link_.ReadResult(buffer), 1);
    EXPECT_STREQ(buffer, "\r\nVDSL extender P side ready\r\nL>");
    EXPECT_GE(clock_.nowMs() - restartedAt, 4000);
    EXPECT_LT(clock_.nowMs() - restartedAt, 20000);
}

TEST_F(UnitBehaviour, LongTimeoutRestartOfTheAttachedSUnitIsAnsweredWhenItIsBack) {
    sim::PairOptions options;
    options.attached = Side::S;
    makePair({}, options);
    link_.SetReadTimeout(20000);
    const std::int64_t start = clock_.nowMs();
    ASSERT_EQ(link_.WriteCommand("or 8c00 20\n"), 1);
    link_.SetReadTimeout(4000);
    EXPECT_GT(clock_.nowMs() - start, 3000);
    EXPECT_EQ(pair_->restartCount(Side::S), 1);
    EXPECT_EQ(link_.QuerySide(), 0);
    wait(3000);
    EXPECT_TRUE(pair_->linkUp());
}

TEST_F(UnitBehaviour, RelayedRestartIsAnsweredAtOnceAndTheSUnitRetrainsWithin16Seconds) {
    ASSERT_EQ(link_.SelectRemote(), 1);
    const std::int64_t start = clock_.nowMs();
    EXPECT_EQ(exchange("or 8c00 20\n"), "\r\nremote unit restarting\r\nL>");
    EXPECT_LT(clock_.nowMs() - start, 100);
    EXPECT_TRUE(pair_->booting(Side::S));
    EXPECT_EQ(link_.SelectRemote(), 0); // nothing to reach yet
    wait(16000);
    EXPECT_TRUE(pair_->linkUp());
    EXPECT_EQ(link_.SelectRemote(), 1);
}

// --- The S unit's link watchdog (Install mode) --------------------------------------------

struct WatchdogCase {
    const char* name;
    std::uint8_t mode;
    std::uint8_t timeoutHigh;
    std::uint8_t timeoutLow;
    std::int64_t waitMs;
    bool linkBack;
};

class LinkWatchdog : public SimFixture, public ::testing::WithParamInterface<WatchdogCase> {};

// The S unit is given rates on which the line cannot train; the P unit goes back to its
// defaults, as the program does when an attempt loses the link.
TEST_P(LinkWatchdog, InstallModeBringsTheSUnitBackToTheDefaults) {
    const WatchdogCase& c = GetParam();
    pair_->setReg(Side::S, 0xc255, c.mode);
    pair_->setReg(Side::S, 0x8d3b, c.timeoutHigh);
    pair_->setReg(Side::S, 0x8d3a, c.timeoutLow);
    ASSERT_EQ(link_.SelectRemote(), 1);
    ASSERT_EQ(link_.WriteCommand("wr 8c10 02\n"), 1); // 34 Mbit/s: no link on this line
    ASSERT_EQ(link_.SendWriteCommand("or 8c00 04\n"), 1);
    ASSERT_EQ(link_.SelectLocal(), 1);
    wait(c.waitMs);
    EXPECT_EQ(pair_->linkUp(), c.linkBack);
    EXPECT_EQ(pair_->runningRates(Side::S) == sim::kDefaultRates, c.linkBack);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, LinkWatchdog,
    ::testing::Values(WatchdogCase{"InstallAfterItsTimeout", 0x01, 0x0b, 0xb8, 34000, true},
                      WatchdogCase{"InstallNotBeforeItsTimeout", 0x01, 0x0b, 0xb8, 29000, false},
                      WatchdogCase{"InstallShortTimeout", 0x01, 0x01, 0xf4, 8000, true},
                      WatchdogCase{"NormalNever", 0x05, 0x0b, 0xb8, 600000, false}),
    [](const auto& param) { return std::string(param.param.name); });

TEST_F(UnitBehaviour, ModeDialogSequenceSetsInstallModeAndTheTimeoutThatSurviveTheRestart) {
    sim::PairOptions options;
    options.attached = Side::S;
    makePair({}, options);
    pair_->setReg(Side::S, 0x8d3b, 0x01);
    pair_->setReg(Side::S, 0x8d3a, 0x10);
    for (const char* command :
         {"or 8d3b 0b\n", "or 8d3a b8\n", "wr 8d00 a6\n", "wr c255 01\n", "wr 8d00 00\n"})
        ASSERT_EQ(link_.WriteCommand(command), 1);
    link_.SetReadTimeout(20000);
    ASSERT_EQ(link_.WriteCommand("or 8c00 20\n"), 1);
    EXPECT_EQ(readByte("c255"), 0x01);
    EXPECT_EQ(readByte("8d3b"), 0x0b);
    EXPECT_EQ(readByte("8d3a"), 0xb8);
}

TEST_F(UnitBehaviour, CableMovedToTheOtherUnitReachesItsConsole) {
    ASSERT_EQ(link_.SelectRemote(), 1);
    pair_->setAttached(Side::S);
    EXPECT_EQ(link_.QuerySide(), 0); // the S unit's own console addresses itself
    EXPECT_EQ(readByte("8c70"), 0x12);
}

} // namespace
} // namespace simtest
