// Unit behaviour behind the console: readings, restarts, the S unit's link watchdog.
#include "link/decoding.h"
#include "support/sim_fixture.h"

#include <functional>
#include <gtest/gtest.h>

namespace simtest {
namespace {

using sim::Side;
using UnitBehaviour = SimFixture;

// P receives upstream (code 68), S downstream (code 54), give or take a little noise; the power
// decodes with the code of the direction sent.
TEST_F(UnitBehaviour, ReadingsDecodeToTheLineModelsRatioAndTheSetPower) {
    const auto snr = [this](std::uint8_t code) {
        return *SignalToNoiseDb(static_cast<std::uint32_t>(readBytes("8C99", 3)), code);
    };
    const auto power = [this](std::uint8_t code) {
        const auto g = static_cast<std::uint8_t>(readByte("8C67"));
        return *TransmitPowerDbmHz(static_cast<std::uint32_t>(readBytes("8C9C", 2)), g, code);
    };
    const sim::LineModel& line = pair_->lineModel();
    EXPECT_NEAR(snr(0x68), line.receivedSnrDb(sim::Direction::Up, 0x68), 0.21);
    EXPECT_NEAR(power(0x68), -1.0, 0.05);
    ASSERT_EQ(link_.SelectRemote(), 1);
    EXPECT_NEAR(snr(0x54), line.receivedSnrDb(sim::Direction::Down, 0x54), 0.21);
    EXPECT_NEAR(power(0x54), 2.5, 0.05);
}

TEST_F(UnitBehaviour, LinkAndReceiverBitsFollowTheLine) {
    const std::tuple<std::function<void()>, std::int64_t, int, int> cases[] = {
        {[] {}, 0, 0xae, 0x06},
        {[this] { pair_->dropLink(0); }, 0, 0x02, 0x84}, // retraining after a micro interruption
        {[this] { pair_->dropLink(1000); }, 4000, 0xae, 0x86}, // and back
        {[this] { pair_->dropLink(-1); }, 0, 0x00, 0x80},
        {[this] { pair_->restart(Side::S); }, 0, 0x00, 0x00},
        {[this] { link_.WriteCommand("or 8c00 04\n"); }, 0, 0x02, 0x04}}; // same rates: retrain
    for (const auto& [arrange, waitMs, linkBits, receiverBits] : cases) {
        makePair();
        arrange();
        wait(waitMs);
        EXPECT_EQ(readByte("8C71"), linkBits) << linkBits << " " << receiverBits;
        EXPECT_EQ(readByte("8C98"), receiverBits) << linkBits << " " << receiverBits;
        // Without the link the ratio is the lowest the register holds.
        EXPECT_EQ(readBytes("8C99", 3) == 0xFFFFFF, (linkBits & 0x80) == 0) << linkBits;
        EXPECT_EQ(readByte("8C98"), receiverBits & 0x7f); // the micro interruption bit: cleared
    }
}

TEST_F(UnitBehaviour, LinkFailCounterCountsDropsOnBothUnitsUntilARestart) {
    for (int drop = 0; drop < 3; ++drop) {
        pair_->dropLink(500);
        wait(4000);
    }
    EXPECT_EQ(readByte("8D38"), 3);
    EXPECT_EQ(pair_->reg(Side::S, 0x8d38), 3);
    pair_->restart(Side::S);
    wait(10000);
    EXPECT_EQ(pair_->reg(Side::S, 0x8d38), 0);
    EXPECT_EQ(pair_->reg(Side::P, 0x8d38), 4); // the restart dropped the link once more
}

// The S unit is given rates on which the line cannot train; the P unit goes back to its
// defaults, as the program does when an attempt loses the link.
TEST_F(UnitBehaviour, InstallModeWatchdogBringsTheSUnitBackToTheDefaultsAfterItsTimeout) {
    const std::tuple<std::uint8_t, std::uint8_t, std::uint8_t, std::int64_t, bool> cases[] = {
        {0x01, 0x0b, 0xb8, 34000, true},  // Install mode, after 30 s
        {0x01, 0x0b, 0xb8, 29000, false}, // not before
        {0x01, 0x01, 0xf4, 8000, true}};  // a shorter time-out; Normal mode: the search tests
    for (const auto& [mode, timeoutHigh, timeoutLow, waitMs, linkBack] : cases) {
        makePair();
        pair_->setReg(Side::S, 0xc255, mode);
        pair_->setReg(Side::S, 0x8d3b, timeoutHigh);
        pair_->setReg(Side::S, 0x8d3a, timeoutLow);
        ASSERT_EQ(link_.SelectRemote(), 1);
        ASSERT_EQ(link_.WriteCommand("wr 8c10 02\n"), 1); // 34 Mbit/s: no link on this line
        ASSERT_EQ(link_.SendWriteCommand("or 8c00 04\n"), 1);
        ASSERT_EQ(link_.SelectLocal(), 1);
        wait(waitMs);
        EXPECT_EQ(pair_->linkUp(), linkBack) << waitMs;
        EXPECT_EQ(pair_->runningRates(Side::S) == sim::kDefaultRates, linkBack) << waitMs;
    }
}

} // namespace
} // namespace simtest
