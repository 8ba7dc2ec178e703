#include "line_model.h"

#include "rate_code.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

LinkZone zoneOfMargin(double marginDb) {
    if (marginDb >= LineModel::kCleanMarginDb)
        return LinkZone::Clean;
    if (marginDb >= LineModel::kTrainMarginDb)
        return LinkZone::Marginal;
    return LinkZone::Absent;
}

int severity(LinkZone zone) {
    switch (zone) {
    case LinkZone::Clean:
        return 0;
    case LinkZone::Marginal:
        return 1;
    case LinkZone::Absent:
        break;
    }
    return 2;
}

} // namespace

std::uint64_t mixSeed(std::uint64_t seed, std::uint64_t a, std::uint64_t b) {
    auto step = [](std::uint64_t x) {
        x += 0x9E3779B97F4A7C15ULL;
        x = (x ^ (x >> 30U)) * 0xBF58476D1CE4E5B9ULL;
        x = (x ^ (x >> 27U)) * 0x94D049BB133111EBULL;
        return x ^ (x >> 31U);
    };
    return step(step(step(seed) ^ a) ^ b);
}

double unitInterval(std::uint64_t mixed) {
    return static_cast<double>(mixed >> 11U) / static_cast<double>(1ULL << 53U);
}

LinkZone LinkQuality::zone() const {
    return severity(down.zone) >= severity(up.zone) ? down.zone : up.zone;
}

LinkQuality LinkQuality::clean(double snrDb) {
    const DirectionQuality direction{LinkZone::Clean, snrDb, 0.0};
    return {direction, direction};
}

LinkQuality LinkQuality::marginal(double snrDb, double correctedPerSecond) {
    const DirectionQuality direction{LinkZone::Marginal, snrDb, correctedPerSecond};
    return {direction, direction};
}

LinkQuality LinkQuality::absent() {
    return {};
}

double LineModel::jitterDb(Direction direction, std::uint8_t code) const {
    const std::uint64_t mixed = mixSeed(config_.seed, direction == Direction::Down ? 1 : 2, code);
    return (unitInterval(mixed) * 2.0 - 1.0) * kJitterDb;
}

double LineModel::receivedSnrDb(Direction direction, std::uint8_t code) const {
    const double transmit = direction == Direction::Down ? kDownTransmitDbmHz : kUpTransmitDbmHz;
    const double loss =
        kCableLossDbPerKm * (config_.loopLengthM / 1000.0) * std::sqrt(symbolRateMBaud(code));
    return transmit - config_.noiseDbmHz - loss + jitterDb(direction, code);
}

double LineModel::requiredSnrDb(int bitsPerSymbol) {
    return kGapDb + 10.0 * std::log10(std::pow(2.0, bitsPerSymbol) - 1.0);
}

DirectionQuality LineModel::direction(Direction direction, std::uint8_t code) const {
    if (!isValidRateCode(code))
        return {};
    const double snr = receivedSnrDb(direction, code);
    const double margin = snr - requiredSnrDb(bitsPerSymbol(code));
    const LinkZone zone = zoneOfMargin(margin);
    double corrected = 0.0;
    if (zone == LinkZone::Marginal)
        corrected = std::pow(10.0, (kCleanMarginDb - margin) / 2.0);
    return {zone, snr, corrected};
}

LinkQuality LineModel::quality(std::uint8_t dsCode, std::uint8_t usCode) const {
    if (config_.override) {
        if (std::optional<LinkQuality> forced = config_.override(dsCode, usCode))
            return *forced;
    }
    return {direction(Direction::Down, dsCode), direction(Direction::Up, usCode)};
}

std::int64_t LineModel::trainingMs(std::uint8_t dsCode, std::uint8_t usCode) const {
    const std::uint64_t mixed = mixSeed(config_.seed, 3, (std::uint64_t{dsCode} << 8U) | usCode);
    return 2000 + static_cast<std::int64_t>(unitInterval(mixed) * 1000.0);
}

} // namespace sim
