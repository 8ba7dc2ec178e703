// The simulated console as the program relies on it, driven through the program's own console
// link: the mode byte's lock, the counters cleared when read, the remote unit reachable only over
// the link. (The prompt that ends each reply is relied on by every test of the program.)
#include "support/sim_fixture.h"

#include <gtest/gtest.h>
#include <vector>

namespace simtest {
namespace {

using sim::Side;
using Conformance = SimFixture;

TEST_F(Conformance, ModeByteIsWritableOnlyBetweenA6AndZero) {
    EXPECT_EQ(exchange("wr c255 01\n"), "\r\nc255 locked\r\nL>");
    const std::pair<std::vector<const char*>, std::uint8_t> cases[] = {
        {{"wr 8d00 a6\n", "wr c255 01\n", "wr 8d00 00\n", "wr c255 05\n"}, 0x01},
        {{"wr 8d00 a6\n", "wr 8d00 00\n", "wr c255 01\n"}, 0x05},
        {{"wr 8d00 a5\n", "wr c255 01\n"}, 0x05},
        {{"wr 8d00 a6\n", "or c255 02\n", "wr 8d00 00\n"}, 0x07}};
    for (const auto& [commands, mode] : cases) {
        makePair();
        for (const char* command : commands)
            ASSERT_EQ(link_.WriteCommand(command), 1) << command;
        EXPECT_EQ(pair_->mode(Side::P), mode) << commands.size();
        EXPECT_EQ(pair_->eeprom(Side::P, 0xc255), mode) << commands.size();
    }
}

TEST_F(Conformance, CorrectedErrorsCountOnlySinceThePreviousRead) {
    makePair({.override = [](std::uint8_t, std::uint8_t) {
        return std::optional(sim::LinkQuality::marginal(20.0, 10.0));
    }});
    readBytes("8C91", 4); // whatever was there at power-up
    wait(4000);
    EXPECT_NEAR(static_cast<double>(readBytes("8C91", 4)), 40.0, 1.0);
    EXPECT_LE(readBytes("8C91", 4), 1);
    wait(2000);
    EXPECT_NEAR(static_cast<double>(readBytes("8C91", 4)), 20.0, 1.0);
}

TEST_F(Conformance, RemoteUnitIsUnreachableWhileTheLinkIsDown) {
    ASSERT_EQ(link_.SelectRemote(), 1);
    pair_->dropLink(-1);
    // A console left on the remote unit falls back without running the command.
    EXPECT_EQ(exchange("wr 8c10 44\n"), "\r\nremote unit unreachable\r\nL>");
    EXPECT_EQ(pair_->reg(Side::S, 0x8c10), 0x54);
    EXPECT_EQ(exchange("\x05"), "\r\nremote unit unreachable\r\nL>");
    EXPECT_EQ(link_.SelectRemote(), 0);
    pair_->restoreLine();
    wait(3000);
    EXPECT_EQ(link_.SelectRemote(), 1);
}


} // namespace
} // namespace simtest
