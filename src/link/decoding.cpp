#include "link/decoding.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr double kSymbolRateDividend = 25.0;
constexpr double kLineRateScale = 0.01;
constexpr double kLineRateFactor = 91.0;
constexpr double kPowerDbFactor = 10.0;
constexpr double kAmplitudeDbFactor = 20.0;
constexpr double kBandwidthDividend = 30000000.0;
constexpr int kRateTextDigits = 5;

std::optional<unsigned> constellationOf(std::uint8_t code) {
    const unsigned k = constellationIndex(code);
    if (k >= BitsPerSymbol.size())
        return std::nullopt;
    return k;
}

// A v of 0 gives minus infinity, which the readings that subtract it turn into plus infinity.
double powerDb(std::uint32_t v) {
    return kPowerDbFactor * std::log10(static_cast<double>(v));
}

// --- Exact decimal expansion, for rounding ties without a doubt --------------------------------

// An unsigned integer in base 10^9, least significant limb first.
class BigDecimal {
public:
    explicit BigDecimal(std::uint64_t value) {
        do {
            limbs_.push_back(static_cast<std::uint32_t>(value % kBase));
            value /= kBase;
        } while (value != 0);
    }

    // factor must stay below 2^34 so that a limb times it plus the carry fits 64 bits.
    void multiply(std::uint64_t factor) {
        std::uint64_t carry = 0;
        for (std::uint32_t& limb : limbs_) {
            const std::uint64_t product = limb * factor + carry;
            limb = static_cast<std::uint32_t>(product % kBase);
            carry = product / kBase;
        }
        while (carry != 0) {
            limbs_.push_back(static_cast<std::uint32_t>(carry % kBase));
            carry /= kBase;
        }
    }

    // Multiplies by base^count in steps of base^stepExponent.
    void multiplyByPower(std::uint64_t base, int count, int stepExponent) {
        std::uint64_t step = 1;
        for (int i = 0; i < stepExponent; ++i)
            step *= base;
        for (; count >= stepExponent; count -= stepExponent)
            multiply(step);
        for (; count > 0; --count)
            multiply(base);
    }

    std::string digits() const {
        char limb[16];
        std::snprintf(limb, sizeof limb, "%u", static_cast<unsigned>(limbs_.back()));
        std::string text = limb;
        for (auto it = limbs_.rbegin() + 1; it != limbs_.rend(); ++it) {
            std::snprintf(limb, sizeof limb, "%09u", static_cast<unsigned>(*it));
            text += limb;
        }
        return text;
    }

private:
    static constexpr std::uint64_t kBase = 1000000000;
    std::vector<std::uint32_t> limbs_;
};

// value = 0.d1d2d3... x 10^exponent, with every digit of the double written out.
struct DecimalDigits {
    std::string digits;
    int exponent;
};

// value must be positive and finite. A double is m x 2^e with an integer m below 2^53, and
// 2^-n = 5^n / 10^n, so its decimal expansion is finite and exact in integers.
DecimalDigits exactDecimal(double value) {
    int binaryExponent = 0;
    const double fraction = std::frexp(value, &binaryExponent);
    BigDecimal number(static_cast<std::uint64_t>(std::ldexp(fraction, 53)));
    const int exponent2 = binaryExponent - 53;
    int exponent10 = 0;
    if (exponent2 >= 0) {
        number.multiplyByPower(2, exponent2, 29);
    } else {
        number.multiplyByPower(5, -exponent2, 12);
        exponent10 = exponent2;
    }
    std::string digits = number.digits();
    const int length = static_cast<int>(digits.size());
    return {std::move(digits), length + exponent10};
}

// The first kRateTextDigits digits, rounded up when the next digit is 5 or more: with every
// digit exact this is rounding half up, an exact tie included.
DecimalDigits roundHalfUp(DecimalDigits exact) {
    std::string& digits = exact.digits;
    digits.resize(kRateTextDigits + 1, '0');
    const bool up = digits[kRateTextDigits] >= '5';
    digits.resize(kRateTextDigits);
    if (!up)
        return exact;
    int i = kRateTextDigits - 1;
    while (i >= 0 && digits[static_cast<std::size_t>(i)] == '9')
        digits[static_cast<std::size_t>(i--)] = '0';
    if (i >= 0) {
        ++digits[static_cast<std::size_t>(i)];
    } else { // 99999|5 becomes 10000 one decade up
        digits.insert(digits.begin(), '1');
        digits.pop_back();
        ++exact.exponent;
    }
    return exact;
}

} // namespace

std::optional<double> LineRateMbps(std::uint8_t code) {
    if (!isValidRateCode(code))
        return std::nullopt;
    double rate = kSymbolRateDividend / SymbolRateDivisor[rateIndex(code)];
    rate *= BitsPerSymbol[constellationIndex(code)];
    rate *= kLineRateScale;
    rate *= kLineRateFactor;
    return rate;
}

std::string RateText(double value) {
    if (!std::isfinite(value) || value <= 0.0)
        return kNoReadingText;
    const DecimalDigits rounded = roundHalfUp(exactDecimal(value));
    const int before = rounded.exponent;
    if (before <= 0) { // below 1: no leading zero, the text begins with the point
        std::string text(static_cast<std::size_t>(1 - before), '0');
        text[0] = '.';
        return text + rounded.digits;
    }
    if (before >= kRateTextDigits) // beyond any line rate: whole digits only
        return rounded.digits +
               std::string(static_cast<std::size_t>(before - kRateTextDigits), '0') + ".";
    const auto split = static_cast<std::size_t>(before);
    return rounded.digits.substr(0, split) + "." + rounded.digits.substr(split);
}

std::optional<double> SignalToNoiseDb(std::uint32_t v, std::uint8_t code) {
    const auto k = constellationOf(code);
    if (!k)
        return std::nullopt;
    return SnrReferenceDb[*k] - powerDb(v);
}

std::optional<double> MeanSquareErrorDb(std::uint32_t v, std::uint8_t code) {
    const auto k = constellationOf(code);
    if (!k)
        return std::nullopt;
    return MseReferenceDb[*k] - powerDb(v);
}

std::optional<double> TransmitPowerDbmHz(std::uint32_t w, std::uint8_t g, std::uint8_t code) {
    if (!isValidRateCode(code))
        return std::nullopt;
    double power = kAmplitudeDbFactor * std::log10(static_cast<double>(w));
    power += GainStepDb[g & 7u];
    power += PowerOffsetDb[constellationIndex(code)];
    power -= kPowerDbFactor * std::log10(kBandwidthDividend / SymbolRateDivisor[rateIndex(code)]);
    return power;
}

std::string formatDb(std::optional<double> db) {
    if (!db || !std::isfinite(*db))
        return kNoReadingText;
    char text[320]; // the largest finite double has 309 digits before the point
    const int length = std::snprintf(text, sizeof text, "%.2f", *db);
    if (length < 0 || length >= static_cast<int>(sizeof text))
        return kNoReadingText;
    return text;
}
