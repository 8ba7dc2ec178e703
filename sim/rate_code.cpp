#include "rate_code.h"

#include <array>

namespace sim {

namespace {

constexpr std::array<int, 11> kSymbolRateDivisor{4, 6, 8, 12, 16, 24, 32, 48, 64, 10, 14};
constexpr std::array<int, 7> kBitsPerSymbol{8, 6, 4, 3, 2, 7, 5};
constexpr std::array<double, 7> kSnrReferenceDb{91.8, 85.5, 79.2, 76.0, 70.2, 88.4, 79.8};
constexpr std::array<double, 7> kPowerOffsetDb{-0.25, -0.25, -0.5, -0.75, -0.5, -3.5, 0.0};

unsigned rateIndex(std::uint8_t code) {
    return code >> 4U;
}
unsigned constellationIndex(std::uint8_t code) {
    return (code >> 1U) & 7U;
}

} // namespace

bool isValidRateCode(std::uint8_t code) {
    return rateIndex(code) < kSymbolRateDivisor.size() &&
           constellationIndex(code) < kBitsPerSymbol.size();
}

// The accessors below are only meaningful for valid codes; out-of-range fields are clamped so a
// stray code never reads outside the tables.
int symbolRateDivisor(std::uint8_t code) {
    const unsigned r = rateIndex(code);
    return kSymbolRateDivisor[r < kSymbolRateDivisor.size() ? r : kSymbolRateDivisor.size() - 1];
}

double symbolRateMBaud(std::uint8_t code) {
    return 25.0 / symbolRateDivisor(code);
}

int bitsPerSymbol(std::uint8_t code) {
    const unsigned k = constellationIndex(code);
    return kBitsPerSymbol[k < kBitsPerSymbol.size() ? k : kBitsPerSymbol.size() - 1];
}

double snrReferenceDb(std::uint8_t code) {
    const unsigned k = constellationIndex(code);
    return kSnrReferenceDb[k < kSnrReferenceDb.size() ? k : kSnrReferenceDb.size() - 1];
}

double powerOffsetDb(std::uint8_t code) {
    const unsigned k = constellationIndex(code);
    return kPowerOffsetDb[k < kPowerOffsetDb.size() ? k : kPowerOffsetDb.size() - 1];
}

double lineRateMbps(std::uint8_t code) {
    return 25.0 / symbolRateDivisor(code) * bitsPerSymbol(code) * 0.01 * 91;
}

} // namespace sim
