// The console as the program relies on it, driven through the program's own console link.
#include "support/sim_fixture.h"

#include <gtest/gtest.h>
#include <vector>

namespace simtest {
namespace {

using sim::Side;
using Conformance = SimFixture;

TEST_F(Conformance, EchoesEachByteAndSendsTheReplyAtOneCharacterTimePerByte) {
    constexpr std::int64_t kCharNs = 1'041'667;
    for (char c : std::string("rd 8c70\n")) {
        const std::int64_t sent = pair_->nowNs();
        ASSERT_TRUE(port_->writeByte(static_cast<std::uint8_t>(c)));
        EXPECT_EQ(port_->readByte().byte, static_cast<std::uint8_t>(c));
        // The byte crosses the line, then its echo comes back.
        EXPECT_EQ(pair_->nowNs() - sent, 2 * kCharNs);
    }
    const std::int64_t start = pair_->nowNs();
    char reply[CConsoleLink::kBufferSize];
    ASSERT_EQ(link_.ReadResult(reply), 1);
    EXPECT_STREQ(reply, "\r\n8c70 : 02\r\nL>");
    EXPECT_EQ(pair_->nowNs() - start, 15 * kCharNs);
}

TEST_F(Conformance, EveryReplyEndsWithThePromptOfTheUnitTheSwitchByteSelected) {
    for (const std::string prompt : {"L>", "R>"}) {
        for (const char* command : {"\n", "rd 8C99, 3\n", "wr 9000 01\n", "or 9000 02\n"})
            EXPECT_TRUE(exchange(command).ends_with(prompt)) << command;
        EXPECT_EQ(exchange("bogus\n"), "\r\nsyntax error\r\n" + prompt);
        EXPECT_EQ(exchange("\x05"), prompt == "L>" ? "\r\nR>" : "\r\nL>");
        EXPECT_EQ(readByte("8c70"), prompt == "L>" ? 0x12 : 0x02);
    }
}

// 8c10..8c15 hold the factory rates 54 68 4b 00 b7 00.
TEST_F(Conformance, ReadsAnswerTheRegisterAsTypedAndOneToFourByteTokensFirstByteFirst) {
    for (const auto& [command, reply] : {std::pair("rd 8C70\n", "\r\n8C70 : 02\r\nL>"),
                                         std::pair("RD c255\n", "\r\nc255 : 05\r\nL>"),
                                         std::pair("rd 8c10, 1\n", "\r\n8c10 : 54\r\nL>"),
                                         std::pair("rd 8C10, 2\n", "\r\n8C10 : 54 68\r\nL>"),
                                         std::pair("rd 8c11, 3\n", "\r\n8c11 : 68 4b 00\r\nL>"),
                                         std::pair("rd 8c12, 4\n", "\r\n8c12 : 4b 00 b7 00\r\nL>")})
        EXPECT_EQ(exchange(command), reply);
}

TEST_F(Conformance, WritesAndBitSetsChangeOnlyTheAddressedUnitAndRatesWaitToBeStarted) {
    ASSERT_EQ(link_.SelectRemote(), 1);
    for (const char* command : {"wr 9000 50\n", "or 9000 0a\n", "WR 9001 0x11\n", "wr 8C10 44\n"})
        EXPECT_EQ(exchange(command), "\r\nR>") << command;
    for (const char* command : {"wr 9000\n", "wr 9000 100\n", "rd 8c70, 0\n", "rd 8c70, 17\n",
                                "rd 1ffff\n", "xx 9000 01\n", "or 9000 zz\n"})
        EXPECT_EQ(exchange(command), "\r\nsyntax error\r\nR>") << command;
    // S: 9000, 9001, 8c10 and the code it runs; P: 9000 and 8c10.
    EXPECT_EQ(
        (std::vector<int>{pair_->reg(Side::S, 0x9000), pair_->reg(Side::S, 0x9001),
                          pair_->reg(Side::S, 0x8c10), pair_->runningRates(Side::S).downCode(),
                          pair_->reg(Side::P, 0x9000), pair_->reg(Side::P, 0x8c10)}),
        (std::vector<int>{0x5a, 0x11, 0x44, 0x54, 0, 0x54}));
}

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

TEST_F(Conformance, RestartRunsTheRatesStoredInEeprom) {
    for (const bool save : {true, false}) {
        makePair();
        ASSERT_EQ(link_.WriteCommand("wr 8c10 44\n"), 1);
        ASSERT_EQ(link_.WriteCommand("or 8c00 04\n"), 1);
        ASSERT_EQ(save ? link_.WriteCommand("or 8c00 08\n") : 1, 1); // into the EEPROM
        ASSERT_EQ(link_.WriteCommand("wr 8c10 34\n"), 1);            // written, never started
        link_.SetReadTimeout(20000);
        trace_.clear();
        const std::int64_t restartedAt = clock_.nowMs();
        ASSERT_EQ(link_.WriteCommand("or 8c00 20\n"), 1); // answered when the unit is back
        EXPECT_EQ(trace_, "or 8c00 20\n\r\nVDSL extender P side ready\r\nL>");
        EXPECT_GT(clock_.nowMs() - restartedAt, 4010); // silent for longer than a read waits
        const std::uint8_t expected = save ? 0x44 : 0x54;
        EXPECT_EQ(pair_->runningRates(Side::P).downCode(), expected);
        EXPECT_EQ(pair_->reg(Side::P, 0x8c10), expected);
    }
}

TEST_F(Conformance, LinkTrainsWithinThreeSecondsOnlyWhenBothUnitsRunTheSameRates) {
    ASSERT_EQ(link_.WriteCommand("wr 8c12 4c\n"), 1); // a tuning byte differs from the S unit's
    ASSERT_EQ(link_.WriteCommand("or 8c00 04\n"), 1);
    wait(10000);
    EXPECT_FALSE(pair_->linkUp());
    EXPECT_EQ(readByte("8c71"), 0x02); // the S unit's signal is there, no link
    ASSERT_EQ(link_.WriteCommand("wr 8c12 4b\n"), 1);
    ASSERT_EQ(link_.SendWriteCommand("or 8c00 04\n"), 1);
    EXPECT_FALSE(pair_->linkUp());
    wait(3000);
    EXPECT_TRUE(pair_->linkUp());
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
