#include "platform/virtual_clock.h"
#include "sim/unitsim_options.h"

#include <gtest/gtest.h>

namespace {

using sim::parseUnitsimOptions;

TEST(UnitsimOptions, ReadsEveryOption) {
    const sim::UnitsimParse parse = parseUnitsimOptions(
        {"--pty",         "/tmp/q",  "--attached", "s",          "--log=/tmp/log", "--pace",
         "--loop-length", "800",     "--noise",    "-110.5",     "--seed",         "42",
         "--s-mode",      "install", "--fault",    "gap=5000@3", "--fault",        "no-value=8C71",
         "--fault",       "hangup@7"});
    ASSERT_EQ(parse.error, "");
    const sim::UnitsimOptions& o = parse.options;
    EXPECT_EQ(o.ptyPath, "/tmp/q");
    EXPECT_EQ(o.attached, sim::Side::S);
    EXPECT_EQ(o.logPath, "/tmp/log");
    EXPECT_TRUE(o.pace);
    EXPECT_EQ(o.line.loopLengthM, 800.0);
    EXPECT_EQ(o.line.noiseDbmHz, -110.5);
    EXPECT_EQ(o.line.seed, 42U);
    EXPECT_EQ(o.sMode, 0x01);
    ASSERT_EQ(o.faults.size(), 3U);
    EXPECT_EQ(o.faults[0].name, "gap");
    EXPECT_EQ(o.faults[0].value, "5000");
    EXPECT_EQ(o.faults[0].atCommand, 3);
    EXPECT_EQ(o.faults[1].value, "8C71");
    EXPECT_EQ(o.faults[1].atCommand, 0);
    EXPECT_EQ(o.faults[2].atCommand, 7);
    EXPECT_EQ(sim::realTimePairOptions(o).charNs, 1'041'667);
    EXPECT_EQ(sim::realTimePairOptions(o).attached, sim::Side::S);
}

TEST(UnitsimOptions, WithoutPacingRepliesAreSentAtOnce) {
    const sim::UnitsimParse parse = parseUnitsimOptions({"--pty", "/tmp/q"});
    ASSERT_EQ(parse.error, "");
    EXPECT_EQ(sim::realTimePairOptions(parse.options).charNs, 0);
    EXPECT_EQ(parse.options.attached, sim::Side::P);
}

class BadCommandLine : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(BadCommandLine, IsRefusedWithAReason) {
    EXPECT_NE(parseUnitsimOptions(GetParam()).error, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadCommandLine,
    ::testing::Values(std::vector<std::string>{}, std::vector<std::string>{"--attached", "p"},
                      std::vector<std::string>{"--pty"},
                      std::vector<std::string>{"--pty", "x", "--attached", "q"},
                      std::vector<std::string>{"--pty", "x", "--loop-length", "far"},
                      std::vector<std::string>{"--pty", "x", "--seed", "-1"},
                      std::vector<std::string>{"--pty", "x", "--s-mode", "lwd"},
                      std::vector<std::string>{"--pty", "x", "--fault", "flood"},
                      std::vector<std::string>{"--pty", "x", "--fault", "silent=1"},
                      std::vector<std::string>{"--pty", "x", "--fault", "no-value"},
                      std::vector<std::string>{"--pty", "x", "--fault", "no-value=xyz"},
                      std::vector<std::string>{"--pty", "x", "--fault", "gap=0"},
                      std::vector<std::string>{"--pty", "x", "--fault", "wrong-echo=100"},
                      std::vector<std::string>{"--pty", "x", "--fault", "hangup@0"},
                      std::vector<std::string>{"--pty", "x", "--fault", "hangup@x"},
                      std::vector<std::string>{"--pty", "x", "--bogus", "1"}));

TEST(UnitsimOptions, HelpDocumentsEveryOptionAndFault) {
    EXPECT_TRUE(parseUnitsimOptions({"--help"}).options.help);
    const std::string help = sim::unitsimHelp();
    for (const char* word :
         {"--pty",     "--attached", "--log",      "--pace",   "--loop-length", "--noise",
          "--seed",    "--s-mode",   "--fault",    "--help",   "silent",        "no-echo",
          "gap",       "garbage",    "long-reply", "no-value", "wrong-echo",    "unreachable",
          "link-drop", "cable-move", "hangup"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
}

struct StrikeCase {
    const char* option;
    bool (*struck)(sim::UnitPair&);
};

class FaultStrike : public ::testing::TestWithParam<StrikeCase> {};

TEST_P(FaultStrike, SwitchesTheNamedFaultOn) {
    platform::VirtualClock clock;
    sim::UnitPair pair(clock);
    const sim::UnitsimParse parse =
        parseUnitsimOptions({"--pty", "x", "--fault", GetParam().option});
    ASSERT_EQ(parse.error, "");
    sim::applyFault(pair, parse.options.faults.front());
    EXPECT_TRUE(GetParam().struck(pair)) << GetParam().option;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FaultStrike,
    ::testing::Values(
        StrikeCase{"silent", [](sim::UnitPair& p) { return p.faults().silent; }},
        StrikeCase{"no-echo", [](sim::UnitPair& p) { return p.faults().noEcho; }},
        StrikeCase{"gap", [](sim::UnitPair& p) { return p.faults().replyGapMs == 4500; }},
        StrikeCase{"gap=6000", [](sim::UnitPair& p) { return p.faults().replyGapMs == 6000; }},
        StrikeCase{"garbage", [](sim::UnitPair& p) { return p.faults().garbage; }},
        StrikeCase{"long-reply", [](sim::UnitPair& p) { return p.faults().longReply; }},
        StrikeCase{"no-value=c255",
                   [](sim::UnitPair& p) { return p.faults().noValueRegister == "c255"; }},
        StrikeCase{"wrong-echo", [](sim::UnitPair& p) { return p.faults().wrongEcho == '#'; }},
        StrikeCase{"wrong-echo=2a", [](sim::UnitPair& p) { return p.faults().wrongEcho == 0x2a; }},
        StrikeCase{"unreachable", [](sim::UnitPair& p) { return p.faults().remoteUnreachable; }},
        StrikeCase{"link-drop=2", [](sim::UnitPair& p) { return !p.linkUp(); }},
        StrikeCase{"cable-move", [](sim::UnitPair& p) { return p.attached() == sim::Side::S; }},
        StrikeCase{"hangup", [](sim::UnitPair& p) { return p.faults().hangUp; }}));

} // namespace
