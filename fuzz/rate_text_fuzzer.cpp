// Fuzz target: the decoding of register values. The first eight bytes are a double for the rate
// text, which is checked against rounding done independently on the C library's exact decimal
// expansion; the next bytes are a rate code, a gain byte and the 3- and 2-byte values, whose
// readings must stay within the tables' reach.
#include "link/decoding.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void check(bool condition) {
    if (!condition)
        std::abort();
}

// Five digits rounded half up and the count of digits before the point, from "%.800e", which
// glibc writes out exactly (a double has at most 767 significant digits).
std::pair<std::string, int> referenceRounding(double value) {
    static char text[1024];
    std::snprintf(text, sizeof text, "%.800e", value);
    std::string digits;
    const char* p = text;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            digits += *p;
    int exponent = std::atoi(p + 1) + 1;
    const bool up = digits[5] >= '5';
    digits.resize(5);
    if (up) {
        long number = std::stol(digits) + 1;
        if (number == 100000) {
            number = 10000;
            ++exponent;
        }
        digits = std::to_string(number);
    }
    return {digits, exponent};
}

// The same two things read back from a rate text.
std::pair<std::string, int> readBack(const std::string& text) {
    const std::size_t point = text.find('.');
    check(point != std::string::npos && text.find('.', point + 1) == std::string::npos);
    std::string digits = text.substr(0, point) + text.substr(point + 1);
    int exponent = static_cast<int>(point);
    if (point == 0) {
        const std::size_t first = digits.find_first_not_of('0');
        check(first != std::string::npos);
        exponent = -static_cast<int>(first);
        digits.erase(0, first);
    }
    check(digits.size() >= 5 && digits[0] != '0');
    check(digits.find_first_not_of('0', 5) == std::string::npos);
    digits.resize(5);
    return {digits, exponent};
}

void checkRateText(double value) {
    const std::string text = RateText(value);
    if (!std::isfinite(value) || value <= 0.0) {
        check(text == kNoReadingText);
        return;
    }
    check(readBack(text) == referenceRounding(value));
}

void checkReadings(std::uint8_t code, std::uint8_t g, std::uint32_t v, std::uint32_t w) {
    const auto snr = SignalToNoiseDb(v, code);
    const auto mse = MeanSquareErrorDb(v, code);
    check(snr.has_value() == (constellationIndex(code) < 7));
    check(mse.has_value() == snr.has_value());
    if (snr && v != 0)
        check(std::isfinite(*snr) && std::isfinite(*mse) && *snr >= *mse);
    const auto power = TransmitPowerDbmHz(w, g, code);
    check(power.has_value() == isValidRateCode(code));
    const auto rate = LineRateMbps(code);
    check(rate.has_value() == isValidRateCode(code));
    if (rate)
        check(*rate >= 0.7109375 && *rate <= 45.5 && RateText(*rate).size() == 6);
    check(!formatDb(power).empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < sizeof(double))
        return 0;
    double value = 0;
    std::memcpy(&value, data, sizeof value);
    checkRateText(value);
    if (size < sizeof(double) + 7)
        return 0;
    const std::uint8_t* p = data + sizeof(double);
    const auto v = static_cast<std::uint32_t>(p[2] | p[3] << 8 | p[4] << 16);
    const auto w = static_cast<std::uint32_t>(p[5] | p[6] << 8);
    checkReadings(p[0], p[1], v, w);
    return 0;
}
