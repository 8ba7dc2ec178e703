#include "link/decoding.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::uint8_t codeOf(unsigned r, unsigned k) {
    return static_cast<std::uint8_t>(r << 4 | k << 1);
}

// Each entry of the two tables, through codes whose other index is 0, against texts worked out by
// hand; the order of evaluation is fixed, so the doubles are exact.
TEST(LineRate, EveryTableEntryGivesItsRateAndText) {
    const char* const byRate[] = {"45.500", "30.333", "22.750", "15.167", "11.375", "7.5833",
                                  "5.6875", "3.7917", "2.8438", "18.200", "13.000"};
    const char* const byConstellation[] = {"45.500", "34.125", "22.750", "17.063",
                                           "11.375", "39.813", "28.438"};
    for (unsigned r = 0; r <= 10; ++r)
        EXPECT_EQ(RateText(*LineRateMbps(codeOf(r, 0))), byRate[r]) << r;
    for (unsigned k = 0; k <= 6; ++k)
        EXPECT_EQ(RateText(*LineRateMbps(codeOf(0, k))), byConstellation[k]) << k;
    EXPECT_EQ(RateText(*LineRateMbps(0x88)), ".71094"); // the slowest
    EXPECT_EQ(*LineRateMbps(0x54), 3.791666666666667);
    EXPECT_EQ(*LineRateMbps(0xa0), 13.000000000000002);
}

// Bit 0 changes nothing; no table entry, no reading; the noise readings need k only.
TEST(LineRate, EveryCodeOutsideTheTablesHasNoReading) {
    for (unsigned code = 0; code <= 0xFF; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        const bool hasConstellation = ((code >> 1) & 7) != 7;
        const bool valid = (code >> 4) <= 10 && hasConstellation;
        EXPECT_EQ(LineRateMbps(static_cast<std::uint8_t>(c | 1u)), LineRateMbps(c)) << code;
        EXPECT_EQ(LineRateMbps(c).has_value(), valid) << code;
        EXPECT_EQ(TransmitPowerDbmHz(1000, 0, c).has_value(), valid) << code;
        EXPECT_EQ(SignalToNoiseDb(1000, c).has_value(), hasConstellation) << code;
        EXPECT_EQ(MeanSquareErrorDb(1000, c).has_value(), hasConstellation) << code;
    }
}

TEST(RateText, RoundsToFiveDigitsTiesUpWithoutLeadingZero) {
    const std::pair<double, const char*> cases[] = {
        {17.0625, "17.063"},                      // an exact tie rounds up
        {std::nextafter(17.0625, 0.0), "17.062"}, // just below it, down
        {99.9995, "99.999"},                      // the double lies a little below the tie
        {9.99995, "10.000"},                      // carry into a new digit
        {0.9999951, "1.0000"},                    // and across the point
        {0.05, ".050000"},
        {123456.0, "123460."}};
    for (const auto& [value, text] : cases)
        EXPECT_EQ(RateText(value), text) << value;
    for (const double value : {0.0, -1.0, kInfinity, std::nan("")})
        EXPECT_EQ(RateText(value), kNoReadingText) << value;
}

TEST(NoiseReadings, WorkedExampleAndThresholdAtSixDb) {
    EXPECT_EQ(formatDb(SignalToNoiseDb(100000, 0x00)), "41.80");
    EXPECT_EQ(formatDb(MeanSquareErrorDb(100000, 0x00)), "19.20");
    EXPECT_TRUE(snrPasses(*SignalToNoiseDb(2630267, codeOf(0, 4)))); // 6.0000016 dB
    EXPECT_FALSE(snrPasses(*SignalToNoiseDb(2630268, codeOf(0, 4))));
    EXPECT_EQ(*SignalToNoiseDb(0, 0x54), kInfinity); // unbounded, and a pass
    EXPECT_TRUE(snrPasses(*SignalToNoiseDb(0, 0x54)));
}

TEST(TransmitPower, WorkedExamplesUseOnlyTheLowThreeGainBits) {
    const auto power = [](std::uint32_t w, std::uint8_t g, std::uint8_t code) {
        return formatDb(TransmitPowerDbmHz(w, g, code));
    };
    EXPECT_EQ(power(1000, 0, 0x54), "-1.47");
    EXPECT_EQ(power(2000, 3, 0x68), "2.80");
    EXPECT_EQ(power(2000, 0xFB, 0x68), "2.80");
    EXPECT_EQ(power(1000, 5, 0x54) + power(1000, 0x0F, 0x54), "-6.47-6.47"); // 5 to 7: -5 dB
    EXPECT_EQ(*TransmitPowerDbmHz(0, 0, 0x54), -kInfinity);
    EXPECT_EQ(formatDb(-kInfinity) + formatDb(std::nullopt) + formatDb(std::nan("")), "---");
    EXPECT_EQ(formatDb(-std::numeric_limits<double>::max()).size(), 313u); // not cut
}

} // namespace
