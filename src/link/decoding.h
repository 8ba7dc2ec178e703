#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

// Decoding of register values into the readings the user sees. Pure: constant tables and
// double-precision arithmetic, standard library only, no state.
//
// A rate code is one byte: bits 7..4 are the rate index r, bits 3..1 the constellation index k,
// bit 0 is not used. The tables cover r 0 to 10 and k 0 to 6. A unit may still report a code
// outside them (and the profile file may hold one), so every function that needs a missing
// entry gives no reading (std::nullopt) instead of reading outside a table. A function gives a
// reading whenever the entries it needs exist: the signal/noise ratio and the mean square error
// depend on k only, so a code with r above 10 still has them.

inline constexpr std::array<int, 11> SymbolRateDivisor = {4, 6, 8, 12, 16, 24, 32, 48, 64, 10, 14};
inline constexpr std::array<int, 7> BitsPerSymbol = {8, 6, 4, 3, 2, 7, 5};
inline constexpr std::array<double, 7> SnrReferenceDb = {91.8, 85.5, 79.2, 76.0, 70.2, 88.4, 79.8};
inline constexpr std::array<double, 7> MseReferenceDb = {69.2, 69.2, 69.2, 69.2, 67.2, 69.2, 66.7};
inline constexpr std::array<double, 7> PowerOffsetDb = {-0.25, -0.25, -0.5, -0.75, -0.5, -3.5, 0.0};
// Indexed by bits 2..0 of 8C67.
inline constexpr std::array<int, 8> GainStepDb = {0, -1, -2, -3, -4, -5, -5, -5};

// A side of the line passes the search's signal/noise check at this ratio or above.
inline constexpr double kSnrThresholdDb = 6.0;

// What the pages show for a reading that does not exist or is not finite.
inline constexpr char kNoReadingText[] = "-";

constexpr unsigned rateIndex(std::uint8_t code) {
    return static_cast<unsigned>(code) >> 4u;
}
constexpr unsigned constellationIndex(std::uint8_t code) {
    return (static_cast<unsigned>(code) >> 1u) & 7u;
}
// True when both indexes of the code have table entries.
constexpr bool isValidRateCode(std::uint8_t code) {
    return rateIndex(code) < SymbolRateDivisor.size() &&
           constellationIndex(code) < BitsPerSymbol.size();
}

// Line rate in Mbit/s, from 0.7109375 (code 88) to 45.5 (code 00); no rate for a code outside
// the tables.
std::optional<double> LineRateMbps(std::uint8_t code);

// Five significant digits, an exact tie rounded up, with the digits before the point as the
// value's magnitude gives and no leading zero: 45.500, 3.7917, .71094. kNoReadingText for a
// value that is not positive and finite.
std::string RateText(double value);

// v is the 3-byte value of 8C99. A v of 0 gives plus infinity. No reading for k = 7.
std::optional<double> SignalToNoiseDb(std::uint32_t v, std::uint8_t code);
std::optional<double> MeanSquareErrorDb(std::uint32_t v, std::uint8_t code);

// w is the 2-byte value of 8C9C, g the byte of 8C67. A w of 0 gives minus infinity. No reading
// for a code outside the tables.
std::optional<double> TransmitPowerDbmHz(std::uint32_t w, std::uint8_t g, std::uint8_t code);

// The search's signal/noise check of one side: plus infinity passes, NaN fails.
constexpr bool snrPasses(double snrDb) {
    return snrDb >= kSnrThresholdDb;
}

// A dB reading as the status page shows it, "%.2f"; kNoReadingText for no reading or a value
// that is not finite (v or w of 0).
std::string formatDb(std::optional<double> db);
