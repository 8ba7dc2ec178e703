#include "sim/line_model.h"

#include <gtest/gtest.h>

namespace {

using sim::Direction;
using sim::LineConfig;
using sim::LineModel;
using sim::LinkZone;

LineConfig lineOf(double metres, double noise = -120.0, std::uint64_t seed = 1) {
    LineConfig config;
    config.loopLengthM = metres;
    config.noiseDbmHz = noise;
    config.seed = seed;
    return config;
}

TEST(LineModel, FasterSymbolRatesReceiveLessSignal) {
    const LineModel line(lineOf(1500));
    // Same constellation (k = 2), symbol rate divisors 64, 32, 16, 8, 4.
    const std::uint8_t codes[] = {0x84, 0x64, 0x44, 0x24, 0x04};
    for (std::size_t i = 1; i < std::size(codes); ++i)
        EXPECT_LT(line.receivedSnrDb(Direction::Down, codes[i]) + 1.0,
                  line.receivedSnrDb(Direction::Down, codes[i - 1]))
            << std::hex << int{codes[i]};
}

struct ZoneCase {
    double metres;
    double noise;
    std::uint8_t code;
    LinkZone down;
};

class Zones : public ::testing::TestWithParam<ZoneCase> {};

TEST_P(Zones, MarginOverTheConstellationsNeedDecides) {
    const ZoneCase& c = GetParam();
    const LineModel line(lineOf(c.metres, c.noise));
    const sim::DirectionQuality quality = line.direction(Direction::Down, c.code);
    EXPECT_EQ(quality.zone, c.down);
    EXPECT_EQ(quality.correctedPerSecond > 0.0, c.down == LinkZone::Marginal);
}

INSTANTIATE_TEST_SUITE_P(
    DefaultLineAndOthers, Zones,
    ::testing::Values(ZoneCase{1500, -120, 0x54, LinkZone::Clean},    // factory downstream
                      ZoneCase{1500, -120, 0x34, LinkZone::Clean},    // margin about 6 dB
                      ZoneCase{1500, -120, 0x32, LinkZone::Marginal}, // margin about 0 dB
                      ZoneCase{1500, -120, 0x22, LinkZone::Absent},
                      ZoneCase{1500, -120, 0xb0, LinkZone::Absent},  // no rate for r = 11
                      ZoneCase{1500, -120, 0x5e, LinkZone::Absent},  // no rate for k = 7
                      ZoneCase{700, -120, 0x00, LinkZone::Marginal}, // 45.5 Mbit/s on 700 m
                      ZoneCase{4000, -120, 0x54, LinkZone::Absent},
                      ZoneCase{1500, -100, 0x54, LinkZone::Absent}));

TEST(LineModel, CorrectedErrorsGrowAsTheMarginShrinks) {
    const LineModel line(lineOf(1500));
    // 2 dB more noise on the same code: ten times the errors.
    const double quiet =
        LineModel(lineOf(1500, -120)).direction(Direction::Down, 0x32).correctedPerSecond;
    const double noisy =
        LineModel(lineOf(1500, -118)).direction(Direction::Down, 0x32).correctedPerSecond;
    EXPECT_GT(noisy, quiet * 5.0);
    EXPECT_GE(line.direction(Direction::Down, 0x32).correctedPerSecond, 1.0);
}

TEST(LineModel, JitterIsFixedPerSeedAndBounded) {
    const LineModel a(lineOf(1500, -120, 7));
    const LineModel b(lineOf(1500, -120, 7));
    const LineModel c(lineOf(1500, -120, 8));
    const LineModel flat(lineOf(0, -120, 7)); // no cable: the transmit level minus the noise
    int differences = 0;
    for (int code = 0; code < 0xb0; code += 2) {
        const auto byte = static_cast<std::uint8_t>(code);
        EXPECT_EQ(a.receivedSnrDb(Direction::Up, byte), b.receivedSnrDb(Direction::Up, byte));
        differences += a.receivedSnrDb(Direction::Up, byte) != c.receivedSnrDb(Direction::Up, byte);
        EXPECT_NEAR(flat.receivedSnrDb(Direction::Up, byte), 57.0, LineModel::kJitterDb);
    }
    EXPECT_GT(differences, 40);
}

TEST(LineModel, TrainingTakesTwoToThreeSeconds) {
    const LineModel line(lineOf(1500));
    for (int ds = 0; ds < 0xb0; ds += 0x12)
        for (int us = 0; us < 0xb0; us += 0x16) {
            const std::int64_t ms =
                line.trainingMs(static_cast<std::uint8_t>(ds), static_cast<std::uint8_t>(us));
            EXPECT_GE(ms, 2000);
            EXPECT_LE(ms, 3000);
        }
}

TEST(LineModel, OverrideDecidesForTheCodesItNames) {
    LineConfig config = lineOf(1500);
    config.override = [](std::uint8_t ds, std::uint8_t us) -> std::optional<sim::LinkQuality> {
        if (ds == 0x54 && us == 0x68)
            return sim::LinkQuality::absent();
        return std::nullopt;
    };
    const LineModel line(config);
    EXPECT_EQ(line.quality(0x54, 0x68).zone(), LinkZone::Absent);
    EXPECT_EQ(line.quality(0x44, 0x68).zone(), LinkZone::Clean);
}

TEST(LineModel, WorseDirectionDecidesThePair) {
    const LineModel line(lineOf(1500));
    EXPECT_EQ(line.quality(0x54, 0x68).zone(), LinkZone::Clean);
    EXPECT_EQ(line.quality(0x32, 0x68).zone(), LinkZone::Marginal);
    EXPECT_EQ(line.quality(0x32, 0x02).zone(), LinkZone::Absent);
    EXPECT_FALSE(line.quality(0x32, 0x02).trains());
}

} // namespace
