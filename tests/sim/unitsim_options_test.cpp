#include "sim/adapter_buffer.h"
#include "sim/unitsim_options.h"

#include <gtest/gtest.h>

namespace {

using sim::parseUnitsimOptions;

TEST(UnitsimOptions, ReadsEveryOptionAndPacesOnlyWhenAsked) {
    const sim::UnitsimParse parse =
        parseUnitsimOptions({"--pty", "/tmp/q", "--attached", "s", "--log=/tmp/log", "--pace",
                             "--loop-length", "800", "--noise", "-110.5", "--seed", "42",
                             "--s-mode", "install", "--fault", "gap=5000@3", "--latency", "16"});
    ASSERT_EQ(parse.error, "");
    const sim::UnitsimOptions& o = parse.options;
    EXPECT_EQ(std::tie(o.ptyPath, o.logPath), std::tuple("/tmp/q", "/tmp/log"));
    EXPECT_EQ(std::tuple(o.line.loopLengthM, o.line.noiseDbmHz, o.line.seed, o.sMode, o.latencyMs),
              std::tuple(800.0, -110.5, 42ULL, std::uint8_t{0x01}, 16));
    ASSERT_EQ(o.faults.size(), 1U);
    EXPECT_EQ(std::tie(o.faults[0].name, o.faults[0].value, o.faults[0].atCommand),
              std::tuple("gap", "5000", 3));
    EXPECT_EQ(sim::realTimePairOptions(o).charNs, 1'041'667); // 10 bits at 9600 baud
    EXPECT_EQ(sim::realTimePairOptions(o).attached, sim::Side::S);
    EXPECT_EQ(sim::realTimePairOptions(parseUnitsimOptions({"--pty", "q"}).options).charNs, 0);
    EXPECT_EQ(parseUnitsimOptions({"--pty", "q", "--latency", "256"}).error,
              "--latency takes milliseconds from 0 to 255");
}

// An adapter hands over what it holds when its timer, started by the first byte it holds, runs
// out, or at once when its 62-byte buffer is full; nothing before.
TEST(AdapterBuffer, ReleasesAtTheLatencyAfterTheFirstByteOrWhenFull) {
    constexpr std::int64_t kMs = 1'000'000;
    sim::AdapterBuffer adapter(16 * kMs);
    EXPECT_EQ(adapter.releaseNs(), std::nullopt);
    adapter.hold('a', 100 * kMs);
    adapter.hold('b', 110 * kMs);
    EXPECT_EQ(adapter.releaseNs(), 116 * kMs);
    EXPECT_EQ(adapter.release(116 * kMs - 1), "");
    EXPECT_EQ(adapter.release(116 * kMs), "ab");
    EXPECT_EQ(adapter.releaseNs(), std::nullopt);
    for (int i = 0; i < 62; ++i)
        adapter.hold('x', (200 + i) * kMs);
    EXPECT_EQ(adapter.release(261 * kMs), std::string(62, 'x'));
    sim::AdapterBuffer plain(0);
    plain.hold('p', 5);
    EXPECT_EQ(plain.release(5), "p");
}

} // namespace
