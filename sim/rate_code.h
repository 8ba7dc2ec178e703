#pragma once

#include <cstdint>

// Fields of a rate code byte as the units interpret it: symbol rate index r (bits 7..4) and
// constellation index k (bits 3..1); bit 0 is ignored. Codes with r above 10 or k equal to 7
// name no rate: a unit given one never trains.
namespace sim {

bool isValidRateCode(std::uint8_t code);
int symbolRateDivisor(std::uint8_t code);
// Symbols per microsecond (25 / divisor).
double symbolRateMBaud(std::uint8_t code);
int bitsPerSymbol(std::uint8_t code);
// Reference of the receiver's signal/noise reading: SNR = reference - 10 log10(v).
double snrReferenceDb(std::uint8_t code);
// Offset of the transmitter's power reading for the code's constellation.
double powerOffsetDb(std::uint8_t code);
double lineRateMbps(std::uint8_t code);

} // namespace sim
