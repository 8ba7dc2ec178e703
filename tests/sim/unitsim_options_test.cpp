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
    EXPECT_EQ(std::tie(o.ptyPath, o.logPath), std::tuple("/tmp/q", "/tmp/log"));
    EXPECT_EQ(std::tuple(o.line.loopLengthM, o.line.noiseDbmHz, o.line.seed, o.sMode),
              std::tuple(800.0, -110.5, 42ULL, std::uint8_t{0x01}));
    ASSERT_EQ(o.faults.size(), 1U);
    EXPECT_EQ(std::tie(o.faults[0].name, o.faults[0].value, o.faults[0].atCommand),
              std::tuple("gap", "5000", 3));
    EXPECT_EQ(sim::realTimePairOptions(o).charNs, 1'041'667); // 10 bits at 9600 baud
    EXPECT_EQ(sim::realTimePairOptions(o).attached, sim::Side::S);
    EXPECT_EQ(sim::realTimePairOptions(parseUnitsimOptions({"--pty", "q"}).options).charNs, 0);
}

} // namespace
