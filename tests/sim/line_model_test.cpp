#include "sim/line_model.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using sim::Direction;
using sim::LineModel;
using sim::LinkZone;

LineModel lineOf(double metres, double noise = -120.0, std::uint64_t seed = 1) {
    return LineModel({metres, noise, seed, {}});
}

// On the default line (1500 m, -120 dBm/Hz) the factory code 54 is clean, 34 has about 6 dB of
// margin, 32 about 0 dB, 22 none; b0 and 5e have no rate; 45.5 Mbit/s is marginal on 700 m.
TEST(LineModel, MarginOverWhatTheConstellationNeedsDecidesTheZone) {
    using Case = std::tuple<double, double, std::uint8_t, LinkZone>;
    for (const auto& [metres, noise, code, zone] :
         {Case{1500, -120, 0x54, LinkZone::Clean}, Case{1500, -120, 0x34, LinkZone::Clean},
          Case{1500, -120, 0x32, LinkZone::Marginal}, Case{1500, -120, 0x22, LinkZone::Absent},
          Case{1500, -120, 0xb0, LinkZone::Absent}, Case{1500, -120, 0x5e, LinkZone::Absent},
          Case{700, -120, 0x00, LinkZone::Marginal}, Case{4000, -120, 0x54, LinkZone::Absent},
          Case{1500, -100, 0x54, LinkZone::Absent}}) {
        const sim::DirectionQuality quality =
            lineOf(metres, noise).direction(Direction::Down, code);
        EXPECT_EQ(quality.zone, zone) << metres << " m, " << noise << " dBm/Hz, " << int{code};
        EXPECT_EQ(quality.correctedPerSecond > 0.0, zone == LinkZone::Marginal);
    }
    // 2 dB more noise on a marginal code: ten times the corrected errors.
    EXPECT_GT(lineOf(1500, -118).direction(Direction::Down, 0x32).correctedPerSecond,
              5.0 * lineOf(1500, -120).direction(Direction::Down, 0x32).correctedPerSecond);
}

TEST(LineModel, FasterSymbolRatesReceiveLessSignalAndTheWorseDirectionDecides) {
    const LineModel line = lineOf(1500);
    for (int code = 0x84; code > 0x04; code -= 0x20) // k = 2, divisors 64, 32, 16, 8, 4
        EXPECT_LT(line.receivedSnrDb(Direction::Down, static_cast<std::uint8_t>(code - 0x20)) + 1,
                  line.receivedSnrDb(Direction::Down, static_cast<std::uint8_t>(code)));
    EXPECT_EQ(line.quality(0x54, 0x68).zone(), LinkZone::Clean);
    EXPECT_EQ(line.quality(0x32, 0x68).zone(), LinkZone::Marginal);
    EXPECT_FALSE(line.quality(0x32, 0x02).trains());
}

TEST(LineModel, JitterIsFixedPerSeedAndBoundedAndTrainingTakesTwoToThreeSeconds) {
    const LineModel line = lineOf(1500, -120, 7);
    const LineModel flat = lineOf(0, -120, 7); // no cable: the transmit level minus the noise
    int differences = 0;
    for (int code = 0; code < 0xb0; code += 2) {
        const auto byte = static_cast<std::uint8_t>(code);
        const double snr = line.receivedSnrDb(Direction::Up, byte);
        EXPECT_EQ(snr, lineOf(1500, -120, 7).receivedSnrDb(Direction::Up, byte));
        differences += snr != lineOf(1500, -120, 8).receivedSnrDb(Direction::Up, byte);
        EXPECT_NEAR(flat.receivedSnrDb(Direction::Up, byte), 57.0, LineModel::kJitterDb);
        const std::int64_t ms = line.trainingMs(byte, static_cast<std::uint8_t>(0xae - code));
        EXPECT_TRUE(ms >= 2000 && ms <= 3000) << ms;
    }
    EXPECT_GT(differences, 40);
}

} // namespace
