#include "link/decoding.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();

std::uint8_t codeOf(unsigned r, unsigned k) {
    return static_cast<std::uint8_t>(r << 4 | k << 1);
}

struct RateCase {
    std::uint8_t code;
    double rate;
    const char* text;
};

class LineRateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(LineRateTest, GivesTheExactDoubleAndItsText) {
    const auto rate = LineRateMbps(GetParam().code);
    ASSERT_TRUE(rate.has_value());
    EXPECT_EQ(*rate, GetParam().rate); // exact: the order of evaluation is fixed
    EXPECT_EQ(RateText(*rate), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Codes, LineRateTest,
                         ::testing::Values(RateCase{0x00, 45.5, "45.500"},
                                           RateCase{0x54, 3.791666666666667, "3.7917"},
                                           RateCase{0x55, 3.791666666666667, "3.7917"},
                                           RateCase{0x68, 1.421875, "1.4219"},
                                           RateCase{0x88, 0.7109375, ".71094"},
                                           RateCase{0xa0, 13.000000000000002, "13.000"}));

struct TextCase {
    double value;
    const char* text;
};

class RateTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(RateTextTest, RoundsToFiveDigitsTiesUp) {
    EXPECT_EQ(RateText(GetParam().value), GetParam().text) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RateTextTest,
    ::testing::Values(TextCase{17.0625, "17.063"}, // exact ties: up, where %e would go to even
                      TextCase{8.53125, "8.5313"}, TextCase{39.8125, "39.813"},
                      TextCase{2.84375, "2.8438"}, TextCase{0.7109375, ".71094"},
                      TextCase{13.000000000000002, "13.000"}, TextCase{45.5, "45.500"},
                      // just below a tie, where a rounding of the decimal text would go up
                      TextCase{std::nextafter(17.0625, 0.0), "17.062"},
                      // these doubles lie a little off the decimal tie they are written as
                      TextCase{99.9995, "99.999"}, TextCase{0.999995, ".99999"},
                      TextCase{9.99995, "10.000"},   // carry into a new digit
                      TextCase{0.9999951, "1.0000"}, // and across the point
                      TextCase{0.05, ".050000"},     // below 0.1: zeros after the point
                      TextCase{0.00123455, ".0012346"},
                      TextCase{123456.0, "123460."})); // beyond five digits before the point

TEST(RateTextTest, HasNoTextForWhatIsNoRate) {
    for (const double value : {0.0, -1.0, kInfinity, std::nan("")})
        EXPECT_EQ(RateText(value), kNoReadingText) << value;
}

TEST(RateTextTest, ExtremeDoublesKeepAllTheirPlaces) {
    const std::string largest = RateText(std::numeric_limits<double>::max());
    EXPECT_EQ(largest, "17977" + std::string(304, '0') + ".");
    const std::string smallest = RateText(std::numeric_limits<double>::denorm_min());
    EXPECT_EQ(smallest, "." + std::string(323, '0') + "49407");
}

// Every valid code, against texts worked out independently with exact decimal arithmetic.
TEST(LineRateSweep, EveryValidCodeHasARateAndText) {
    const char* const expected[11][7] = {
        {"45.500", "34.125", "22.750", "17.063", "11.375", "39.813", "28.438"},
        {"30.333", "22.750", "15.167", "11.375", "7.5833", "26.542", "18.958"},
        {"22.750", "17.063", "11.375", "8.5313", "5.6875", "19.906", "14.219"},
        {"15.167", "11.375", "7.5833", "5.6875", "3.7917", "13.271", "9.4792"},
        {"11.375", "8.5313", "5.6875", "4.2656", "2.8438", "9.9531", "7.1094"},
        {"7.5833", "5.6875", "3.7917", "2.8438", "1.8958", "6.6354", "4.7396"},
        {"5.6875", "4.2656", "2.8438", "2.1328", "1.4219", "4.9766", "3.5547"},
        {"3.7917", "2.8438", "1.8958", "1.4219", ".94792", "3.3177", "2.3698"},
        {"2.8438", "2.1328", "1.4219", "1.0664", ".71094", "2.4883", "1.7773"},
        {"18.200", "13.650", "9.1000", "6.8250", "4.5500", "15.925", "11.375"},
        {"13.000", "9.7500", "6.5000", "4.8750", "3.2500", "11.375", "8.1250"},
    };
    for (unsigned r = 0; r <= 10; ++r) {
        for (unsigned k = 0; k <= 6; ++k) {
            const std::uint8_t code = codeOf(r, k);
            const auto rate = LineRateMbps(code);
            ASSERT_TRUE(rate.has_value()) << int{code};
            EXPECT_GE(*rate, 0.7109375) << int{code};
            EXPECT_LE(*rate, 45.5) << int{code};
            EXPECT_EQ(LineRateMbps(static_cast<std::uint8_t>(code | 1)), rate) << int{code};
            EXPECT_EQ(RateText(*rate), expected[r][k]) << int{code};
        }
    }
}

TEST(LineRateSweep, CodesOutsideTheTablesHaveNoRateNorPower) {
    for (unsigned code = 0; code <= 0xFF; ++code) {
        const auto c = static_cast<std::uint8_t>(code);
        const bool outside = (code >> 4) > 10 || ((code >> 1) & 7) == 7;
        EXPECT_EQ(isValidRateCode(c), !outside) << code;
        EXPECT_EQ(LineRateMbps(c).has_value(), !outside) << code;
        EXPECT_EQ(TransmitPowerDbmHz(1000, 0, c).has_value(), !outside) << code;
        // The noise readings need the constellation only.
        EXPECT_EQ(SignalToNoiseDb(1000, c).has_value(), ((code >> 1) & 7) != 7) << code;
        EXPECT_EQ(MeanSquareErrorDb(1000, c).has_value(), ((code >> 1) & 7) != 7) << code;
    }
}

TEST(NoiseReadings, AtOneHundredThousand) {
    EXPECT_NEAR(*SignalToNoiseDb(100000, 0x00), 41.8, 1e-12);
    EXPECT_NEAR(*MeanSquareErrorDb(100000, 0x00), 19.2, 1e-12);
    EXPECT_EQ(formatDb(SignalToNoiseDb(100000, 0x00)), "41.80");
    EXPECT_EQ(formatDb(MeanSquareErrorDb(100000, 0x00)), "19.20");
    // The two differ by the difference of the references, whatever v.
    for (unsigned k = 0; k <= 6; ++k)
        EXPECT_NEAR(*SignalToNoiseDb(4321, codeOf(3, k)) - *MeanSquareErrorDb(4321, codeOf(3, k)),
                    SnrReferenceDb[k] - MseReferenceDb[k], 1e-12);
    // Full scale of the 3-byte register.
    EXPECT_NEAR(*SignalToNoiseDb(16777215, 0x00), 19.552801299504196, 1e-12);
}

TEST(NoiseReadings, ThresholdBoundaryForConstellationFour) {
    const auto passing = SignalToNoiseDb(2630267, codeOf(0, 4));
    const auto failing = SignalToNoiseDb(2630268, codeOf(0, 4));
    EXPECT_GT(*passing, 6.0);
    EXPECT_LT(*passing, 6.00001);
    EXPECT_LT(*failing, 6.0);
    EXPECT_TRUE(snrPasses(*passing));
    EXPECT_FALSE(snrPasses(*failing));
    EXPECT_TRUE(snrPasses(kSnrThresholdDb));
    EXPECT_FALSE(snrPasses(5.99));
    EXPECT_FALSE(snrPasses(std::nan("")));
}

TEST(NoiseReadings, ZeroIsUnboundedAndPasses) {
    const auto snr = SignalToNoiseDb(0, 0x54);
    EXPECT_EQ(*snr, kInfinity);
    EXPECT_EQ(*MeanSquareErrorDb(0, 0x54), kInfinity);
    EXPECT_TRUE(snrPasses(*snr));
    EXPECT_EQ(formatDb(snr), kNoReadingText);
}

struct PowerCase {
    std::uint32_t w;
    std::uint8_t g;
    std::uint8_t code;
    double power;
    const char* text;
};

class TransmitPowerTest : public ::testing::TestWithParam<PowerCase> {};

TEST_P(TransmitPowerTest, MatchesTheWorkedValue) {
    const PowerCase& c = GetParam();
    const auto power = TransmitPowerDbmHz(c.w, c.g, c.code);
    ASSERT_TRUE(power.has_value());
    EXPECT_NEAR(*power, c.power, 1e-9);
    EXPECT_EQ(formatDb(power), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TransmitPowerTest,
    ::testing::Values(PowerCase{1000, 0, 0x54, -1.4691001300805624, "-1.47"},
                      PowerCase{2000, 3, 0x68, 2.8008871492820617, "2.80"},
                      // only bits 2..0 of 8C67 count, and 5, 6 and 7 are all -5 dB
                      PowerCase{2000, 0xFB, 0x68, 2.8008871492820617, "2.80"},
                      PowerCase{1000, 5, 0x54, -6.4691001300805624, "-6.47"},
                      PowerCase{1000, 6, 0x54, -6.4691001300805624, "-6.47"},
                      PowerCase{1000, 0x0F, 0x54, -6.4691001300805624, "-6.47"}));

TEST(TransmitPowerTest, ZeroIsMinusInfinity) {
    const auto power = TransmitPowerDbmHz(0, 0, 0x54);
    EXPECT_EQ(*power, -kInfinity);
    EXPECT_EQ(formatDb(power), kNoReadingText);
}

TEST(FormatDbTest, NoReadingIsADash) {
    EXPECT_EQ(formatDb(std::nullopt), kNoReadingText);
    EXPECT_EQ(formatDb(std::nan("")), kNoReadingText);
    EXPECT_EQ(formatDb(-std::numeric_limits<double>::max()).size(), 313u); // no truncation
}

} // namespace
