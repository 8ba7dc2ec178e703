// The console as the program relies on it, driven through the program's own console link.
#include "link/console_state.h"
#include "platform/port_open.h"
#include "sim/register_map.h"
#include "support/sim_fixture.h"

#include <gtest/gtest.h>
#include <vector>

namespace simtest {
namespace {

using sim::Side;
using Conformance = SimFixture;

constexpr std::int64_t kCharNs = 1'041'667;

// --- Echo and prompts ---------------------------------------------------------------------

TEST_F(Conformance, EchoesEveryByteOneCharacterTimeAfterItArrived) {
    for (char c : std::string("rd 8c70\n")) {
        const std::int64_t sent = pair_->nowNs();
        ASSERT_TRUE(port_->writeByte(static_cast<std::uint8_t>(c)));
        const platform::ByteRead echo = port_->readByte();
        ASSERT_EQ(echo.status, platform::ReadStatus::Byte);
        EXPECT_EQ(echo.byte, static_cast<std::uint8_t>(c));
        // The byte crosses the line, then its echo comes back.
        EXPECT_EQ(pair_->nowNs() - sent, 2 * kCharNs);
    }
    // The reply follows the echo at one character time per byte.
    const std::int64_t start = pair_->nowNs();
    std::string reply;
    while (reply.empty() || reply.back() != '>')
        reply += static_cast<char>(port_->readByte().byte);
    EXPECT_EQ(reply, "\r\n8c70 : 02\r\nL>");
    EXPECT_EQ(pair_->nowNs() - start, static_cast<std::int64_t>(reply.size()) * kCharNs);
}

TEST_F(Conformance, EveryReplyEndsWithThePromptOfTheAddressedUnit) {
    const std::vector<std::string> commands{"\n",           "rd 8c70\n",    "rd 8C99, 3\n",
                                            "wr 9000 01\n", "or 9000 02\n", "bogus\n"};
    auto promptOf = [this](const std::string& command) {
        const std::string reply = exchange(command);
        return reply.substr(reply.size() - 2);
    };
    for (const std::string& command : commands)
        EXPECT_EQ(promptOf(command), "L>") << command;
    ASSERT_EQ(link_.SelectRemote(), 1);
    for (const std::string& command : commands)
        EXPECT_EQ(promptOf(command), "R>") << command;
    EXPECT_EQ(exchange("\n"), "\r\nR>");
    EXPECT_EQ(exchange("bogus\n"), "\r\nsyntax error\r\nR>");
}

TEST_F(Conformance, QuerySideFollowsTheSwitchByte) {
    EXPECT_EQ(link_.QuerySide(), 0);
    EXPECT_EQ(exchange("\x05"), "\r\nR>");
    EXPECT_EQ(link_.QuerySide(), 1);
    EXPECT_EQ(pair_->addressedUnit(), Side::S);
    EXPECT_EQ(exchange("\x05"), "\r\nL>");
    EXPECT_EQ(link_.QuerySide(), 0);
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
}

TEST_F(Conformance, SwitchByteIsLoggedAsConsoleLevelCommandOfTheLocalUnit) {
    pair_->clearCommandLog();
    ASSERT_EQ(link_.SelectRemote(), 1);
    ASSERT_EQ(readByte("8c70"), 0x12);
    const auto& log = pair_->commandLog();
    ASSERT_EQ(log.size(), 5U); // "\n", 0x05, "\n", "\n", "rd 8c70"
    EXPECT_EQ(log[0].text, "");
    EXPECT_EQ(log[1].text, "<05>");
    EXPECT_EQ(log[1].unit, Side::P);
    EXPECT_EQ(log[2].unit, Side::S);
    EXPECT_EQ(log[4].text, "rd 8c70");
    EXPECT_EQ(log[4].unit, Side::S);
    EXPECT_LE(log[0].atMs, log[4].atMs);
}

TEST_F(Conformance, ProgramOpeningItsPortReachesThePair) {
    g_portHandle.reset();
    platform::setPortOpener(sim::simulatedPortOpener(*pair_, clock_));
    ASSERT_EQ(link_.OpenPort(), 1);
    EXPECT_EQ(link_.SelectLocal(), 1);
    EXPECT_EQ(readByte("8c70"), 0x02);
}

TEST_F(Conformance, WithTheSUnitCabledLocalIsSAndRemoteIsP) {
    sim::PairOptions options;
    options.attached = Side::S;
    makePair({}, options);
    ASSERT_EQ(link_.SelectLocal(), 1);
    EXPECT_EQ(readByte("8c70"), 0x12);
    ASSERT_EQ(link_.SelectRemote(), 1);
    EXPECT_EQ(readByte("8c70"), 0x02);
}

// --- Reads of 1 to 4 bytes ----------------------------------------------------------------

struct ReadCase {
    const char* reg;
    int count;
    std::int64_t value;
    const char* reply;
};

class ReadReplies : public SimFixture, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadReplies, AnswerByteTokensAfterTheColonFirstByteFirst) {
    const ReadCase& c = GetParam();
    const std::string command = std::string("rd ") + c.reg + ", " + std::to_string(c.count);
    EXPECT_EQ(exchange(command + "\n"), c.reply);
    EXPECT_EQ(readBytes(c.reg, c.count), c.value);
}

// 8c10..8c15 hold the factory rates 54 68 4b 00 b7 00.
INSTANTIATE_TEST_SUITE_P(
    FactoryRates, ReadReplies,
    ::testing::Values(ReadCase{"8c10", 1, 0x54, "\r\n8c10 : 54\r\nL>"},
                      ReadCase{"8C10", 2, 0x6854, "\r\n8C10 : 54 68\r\nL>"},
                      ReadCase{"8c11", 3, 0x004b68, "\r\n8c11 : 68 4b 00\r\nL>"},
                      ReadCase{"8c12", 4, 0x00b7004b, "\r\n8c12 : 4b 00 b7 00\r\nL>"}));

TEST_F(Conformance, SingleReadRepeatsTheRegisterAsTyped) {
    EXPECT_EQ(exchange("rd 8C70\n"), "\r\n8C70 : 02\r\nL>");
    EXPECT_EQ(exchange("RD c255\n"), "\r\nc255 : 05\r\nL>");
    EXPECT_EQ(readByte("8c40"), 0x54);
    EXPECT_EQ(readByte("8c41"), 0x68);
}

// --- Writes and bit sets ------------------------------------------------------------------

struct WriteCase {
    std::vector<const char*> commands;
    std::uint16_t reg;
    std::uint8_t expected;
};

class Writes : public SimFixture, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(Writes, ChangeOnlyTheAddressedUnit) {
    const std::uint8_t localBefore = pair_->reg(Side::P, GetParam().reg);
    ASSERT_EQ(link_.SelectRemote(), 1);
    for (const char* command : GetParam().commands)
        EXPECT_EQ(exchange(command), "\r\nR>") << command;
    EXPECT_EQ(pair_->reg(Side::S, GetParam().reg), GetParam().expected);
    EXPECT_EQ(pair_->reg(Side::P, GetParam().reg), localBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, Writes,
    ::testing::Values(WriteCase{{"wr 9000 5a\n"}, 0x9000, 0x5a},
                      WriteCase{{"wr 9000 50\n", "or 9000 0a\n"}, 0x9000, 0x5a},
                      WriteCase{{"WR 9000 0x11\n", "or 9000 0\n"}, 0x9000, 0x11},
                      WriteCase{{"wr 8C10 44\n"}, 0x8c10, 0x44},
                      WriteCase{{"or 8d3b 0b\n"}, 0x8d3b, 0x0b}));

TEST_F(Conformance, WritesToRateRegistersChangeNothingUntilStarted) {
    ASSERT_EQ(link_.WriteCommand("wr 8c10 44\n"), 1);
    EXPECT_EQ(pair_->reg(Side::P, 0x8c10), 0x44);
    EXPECT_EQ(readByte("8c40"), 0x54);
    EXPECT_EQ(pair_->runningRates(Side::P).downCode(), 0x54);
}

TEST_F(Conformance, MalformedCommandsAreRefusedWithoutEffect) {
    for (const char* command : {"wr 9000\n", "wr 9000 100\n", "rd 8c70, 0\n", "rd 8c70, 17\n",
                                "rd 1ffff\n", "xx 9000 01\n", "or 9000 zz\n"})
        EXPECT_EQ(exchange(command), "\r\nsyntax error\r\nL>") << command;
    EXPECT_EQ(pair_->reg(Side::P, 0x9000), 0);
}

// --- The unlock rule of the mode byte -----------------------------------------------------

struct UnlockCase {
    std::vector<const char*> commands;
    std::uint8_t mode;
};

class UnlockRule : public SimFixture, public ::testing::WithParamInterface<UnlockCase> {};

TEST_P(UnlockRule, ModeByteIsWritableOnlyBetweenA6AndZero) {
    for (const char* command : GetParam().commands)
        ASSERT_EQ(link_.WriteCommand(command), 1) << command;
    EXPECT_EQ(pair_->mode(Side::P), GetParam().mode);
    EXPECT_EQ(pair_->eeprom(Side::P, 0xc255), GetParam().mode);
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, UnlockRule,
    ::testing::Values(UnlockCase{{"wr c255 01\n"}, 0x05},
                      UnlockCase{{"wr 8d00 a6\n", "wr c255 01\n", "wr 8d00 00\n"}, 0x01},
                      UnlockCase{{"wr 8d00 a6\n", "wr c255 01\n", "wr 8d00 00\n", "wr c255 05\n"},
                                 0x01},
                      UnlockCase{{"wr 8d00 a6\n", "wr 8d00 00\n", "wr c255 01\n"}, 0x05},
                      UnlockCase{{"wr 8d00 a5\n", "wr c255 01\n"}, 0x05},
                      UnlockCase{{"wr 8d00 a6\n", "or c255 02\n", "wr 8d00 00\n"}, 0x07}));

TEST_F(Conformance, LockedModeWriteIsAnsweredWithANotice) {
    EXPECT_EQ(exchange("wr c255 01\n"), "\r\nc255 locked\r\nL>");
}

// --- Clear-on-read counters ---------------------------------------------------------------

TEST_F(Conformance, CorrectedErrorCounterReturnsWhatAccumulatedSinceThePreviousRead) {
    sim::LineConfig line;
    line.override = [](std::uint8_t, std::uint8_t) {
        return sim::LinkQuality::marginal(20.0, 10.0);
    };
    makePair(line);
    readBytes("8C91", 4); // whatever was there at power-up
    wait(4000);
    const std::int64_t first = readBytes("8C91", 4);
    const std::int64_t second = readBytes("8C91", 4);
    wait(2000);
    const std::int64_t third = readBytes("8C91", 4);
    EXPECT_NEAR(static_cast<double>(first), 40.0, 1.0);
    EXPECT_LE(second, 1);
    EXPECT_NEAR(static_cast<double>(third), 20.0, 1.0);
}

TEST_F(Conformance, CleanLinkCountsNoCorrectedErrors) {
    readBytes("8C91", 4);
    wait(8000);
    EXPECT_EQ(readBytes("8C91", 4), 0);
}

std::string counterToken(std::size_t index) {
    char token[8];
    std::snprintf(token, sizeof token, "%04X", sim::reg::kEthernetCounters[index]);
    return token;
}

std::uint32_t peekWord(sim::UnitPair& pair, Side side, std::uint16_t base) {
    std::uint32_t value = 0;
    for (int b = 3; b >= 0; --b)
        value = (value << 8) | pair.reg(side, static_cast<std::uint16_t>(base + b));
    return value;
}

TEST_F(Conformance, EthernetCountersSumToWhatAnUnreadUnitAccumulates) {
    // A twin pair on the same clock is never read: its counters only grow.
    sim::UnitPair twin(clock_, sim::LineConfig{});
    const std::size_t count = sim::reg::kEthernetCounters.size();
    std::vector<std::uint32_t> twinAtStart(count);
    std::vector<std::int64_t> sums(count, 0);
    for (std::size_t i = 0; i < count; ++i) {
        readBytes(counterToken(i).c_str(), 4);
        twinAtStart[i] = peekWord(twin, Side::P, sim::reg::kEthernetCounters[i]);
    }
    for (int poll = 0; poll < 5; ++poll) {
        wait(4000);
        for (std::size_t i = 0; i < count; ++i) {
            sums[i] += readBytes(counterToken(i).c_str(), 4);
            const double grown = static_cast<double>(
                peekWord(twin, Side::P, sim::reg::kEthernetCounters[i]) - twinAtStart[i]);
            // One count per read lost to rounding down, and the twin lags the port by less
            // than a millisecond.
            EXPECT_NEAR(static_cast<double>(sums[i]), grown, poll + 2 + grown * 0.0002)
                << counterToken(i) << " poll " << poll;
        }
    }
    EXPECT_GT(sums[14], 1000) << "received frames";
    EXPECT_GT(sums[8], sums[14]) << "received octets";
}

TEST_F(Conformance, ReadingInnerBytesOfACounterDoesNotClearIt) {
    wait(4000);
    const std::int64_t high = readBytes("8D21", 3); // bytes 1..3 of 8D20
    EXPECT_GE(high, 0);
    const std::int64_t whole = readBytes("8D20", 4);
    EXPECT_GT(whole, 300);
    EXPECT_LT(readBytes("8D20", 4), whole / 50); // only what came during the two reads
}

// --- EEPROM across restart ----------------------------------------------------------------

struct EepromCase {
    bool save;
    std::uint8_t downAfterRestart;
};

class EepromAcrossRestart : public SimFixture, public ::testing::WithParamInterface<EepromCase> {};

TEST_P(EepromAcrossRestart, RestartRunsTheRatesStoredInEeprom) {
    ASSERT_EQ(link_.WriteCommand("wr 8c10 44\n"), 1);
    ASSERT_EQ(link_.WriteCommand("or 8c00 04\n"), 1);
    EXPECT_EQ(pair_->runningRates(Side::P).downCode(), 0x44);
    if (GetParam().save) {
        ASSERT_EQ(link_.WriteCommand("or 8c00 08\n"), 1);
    }
    ASSERT_EQ(link_.WriteCommand("wr 8c10 34\n"), 1); // written, never started
    link_.SetReadTimeout(20000);
    ASSERT_EQ(link_.WriteCommand("or 8c00 20\n"), 1); // answered when the unit is back
    EXPECT_EQ(pair_->restartCount(Side::P), 1);
    EXPECT_EQ(pair_->runningRates(Side::P).downCode(), GetParam().downAfterRestart);
    EXPECT_EQ(pair_->reg(Side::P, 0x8c10), GetParam().downAfterRestart);
    EXPECT_EQ(pair_->eeprom(Side::P, 0x8c10), GetParam().downAfterRestart);
}

INSTANTIATE_TEST_SUITE_P(SavedOrNot, EepromAcrossRestart,
                         ::testing::Values(EepromCase{true, 0x44}, EepromCase{false, 0x54}));

// --- The link comes up only on equal rates --------------------------------------------------

TEST_F(Conformance, LinkTrainsOnlyWhenBothUnitsRunTheSameRates) {
    ASSERT_EQ(link_.WriteCommand("wr 8c10 44\n"), 1);
    ASSERT_EQ(link_.WriteCommand("or 8c00 04\n"), 1);
    wait(10000);
    EXPECT_FALSE(pair_->linkUp());
    EXPECT_EQ(readByte("8c71"), 0x02); // the S unit's signal is there, no link
    // The S unit cannot be reached while the link is down: set it from the test.
    pair_->setReg(Side::S, 0x8c10, 0x44);
    pair_->setReg(Side::S, 0x8c12, 0x4c); // a tuning byte differs: still no link
    pair_->restart(Side::S);
    wait(10000);
    EXPECT_FALSE(pair_->linkUp());
}

TEST_F(Conformance, LinkTrainsWithinThreeSecondsOfEqualRates) {
    ASSERT_EQ(link_.SelectRemote(), 1);
    ASSERT_EQ(link_.WriteCommand("wr 8c10 44\n"), 1);
    ASSERT_EQ(link_.SendWriteCommand("or 8c00 04\n"), 1);
    ASSERT_EQ(link_.SelectLocal(), 1);
    ASSERT_EQ(link_.WriteCommand("wr 8c10 44\n"), 1);
    ASSERT_EQ(link_.SendWriteCommand("or 8c00 04\n"), 1);
    EXPECT_FALSE(pair_->linkUp());
    wait(3000);
    EXPECT_TRUE(pair_->linkUp());
    EXPECT_EQ(pair_->runningRates(Side::S), pair_->runningRates(Side::P));
}

// --- The remote unit is unreachable while the link is down ---------------------------------

TEST_F(Conformance, SwitchByteCannotReachTheRemoteUnitWhileTheLinkIsDown) {
    pair_->dropLink(-1);
    EXPECT_EQ(exchange("\x05"), "\r\nremote unit unreachable\r\nL>");
    EXPECT_EQ(link_.SelectRemote(), 0);
    EXPECT_EQ(pair_->addressedUnit(), Side::P);
}

TEST_F(Conformance, ConsoleLeftOnTheRemoteUnitFallsBackWithoutRunningTheCommand) {
    ASSERT_EQ(link_.SelectRemote(), 1);
    pair_->dropLink(-1);
    EXPECT_EQ(exchange("wr 8c10 44\n"), "\r\nremote unit unreachable\r\nL>");
    EXPECT_EQ(pair_->reg(Side::S, 0x8c10), 0x54);
    EXPECT_EQ(pair_->reg(Side::P, 0x8c10), 0x54);
    EXPECT_EQ(link_.QuerySide(), 0);
    pair_->restoreLine();
    wait(3000);
    EXPECT_EQ(link_.SelectRemote(), 1);
}

} // namespace
} // namespace simtest
