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

} // namespace
