#include "platform/virtual_clock.h"
#include "sim/unitsim_options.h"

#include <gtest/gtest.h>

namespace {

using sim::parseUnitsimOptions;

TEST(UnitsimOptions, ReadsEveryOptionAndPacesOnlyWhenAsked) {
    const sim::UnitsimParse parse = parseUnitsimOptions(
        {"--pty", "/tmp/q", "--attached", "s", "--log=/tmp/log", "--pace", "--loop-length", "800",
         "--noise", "-110.5", "--seed", "42", "--s-mode", "install", "--fault", "gap=5000@3"});
    ASSERT_EQ(parse.error, "");
    const sim::UnitsimOptions& o = parse.options;
    EXPECT_EQ(o.ptyPath, "/tmp/q");
    EXPECT_EQ(o.logPath, "/tmp/log");
    EXPECT_EQ(std::tuple(o.line.loopLengthM, o.line.noiseDbmHz, o.line.seed, o.sMode),
              std::tuple(800.0, -110.5, 42ULL, std::uint8_t{0x01}));
    ASSERT_EQ(o.faults.size(), 1U);
    EXPECT_EQ(std::tie(o.faults[0].name, o.faults[0].value, o.faults[0].atCommand),
              std::tuple("gap", "5000", 3));
    EXPECT_EQ(sim::realTimePairOptions(o).charNs, 1'041'667); // 10 bits at 9600 baud
    EXPECT_EQ(sim::realTimePairOptions(o).attached, sim::Side::S);
    EXPECT_EQ(sim::realTimePairOptions(parseUnitsimOptions({"--pty", "q"}).options).charNs, 0);
}

TEST(UnitsimOptions, RefusesABadCommandLineWithAReason) {
    EXPECT_NE(parseUnitsimOptions({"--attached", "p"}).error, ""); // no --pty
    EXPECT_NE(parseUnitsimOptions({"--pty"}).error, "");
    for (const auto& [option, value] :
         {std::pair("--attached", "q"), std::pair("--loop-length", "far"),
          std::pair("--seed", "-1"), std::pair("--s-mode", "lwd"), std::pair("--fault", "flood"),
          std::pair("--fault", "silent=1"), std::pair("--fault", "no-value"),
          std::pair("--fault", "no-value=xyz"), std::pair("--fault", "gap=0"),
          std::pair("--fault", "wrong-echo=100"), std::pair("--fault", "hangup@0"),
          std::pair("--bogus", "1")})
        EXPECT_NE(parseUnitsimOptions({"--pty", "x", option, value}).error, "") << value;
}

// Every option and fault is in the help; every fault, given without a value, strikes its default.
TEST(UnitsimOptions, EveryFaultIsDocumentedAndSwitchesItsFaultOn) {
    EXPECT_TRUE(parseUnitsimOptions({"--help"}).options.help);
    const std::string help = sim::unitsimHelp();
    for (const char* word : {"--pty", "--attached", "--log", "--pace", "--loop-length", "--noise",
                             "--seed", "--s-mode", "--fault", "--help"})
        EXPECT_NE(help.find(word), std::string::npos) << word;
    std::vector<std::string> args{"--pty", "x"};
    for (const char* fault : {"silent", "no-echo", "gap", "garbage", "long-reply", "no-value",
                              "wrong-echo", "unreachable", "link-drop", "cable-move", "hangup"}) {
        EXPECT_NE(help.find(fault), std::string::npos) << fault;
        args.insert(args.end(),
                    {"--fault", fault == std::string("no-value") ? "no-value=c255" : fault});
    }
    platform::VirtualClock clock;
    sim::UnitPair pair(clock);
    for (const sim::FaultOption& fault : parseUnitsimOptions(args).options.faults)
        sim::applyFault(pair, fault);
    const sim::Faults& f = pair.faults();
    EXPECT_TRUE(f.silent && f.noEcho && f.garbage && f.longReply && f.remoteUnreachable &&
                f.hangUp);
    EXPECT_EQ(std::tie(f.replyGapMs, f.noValueRegister, f.wrongEcho),
              std::tuple(4500, "c255", '#')); // a gap longer than the read time-out
    EXPECT_FALSE(pair.linkUp());
    EXPECT_EQ(pair.attached(), sim::Side::S);
}

} // namespace
