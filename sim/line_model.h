#pragma once

#include <cstdint>
#include <functional>
#include <optional>

// The copper pair between the units. For each rate code the model gives the signal/noise ratio
// that the receiving unit measures, and from its margin over what the code's constellation
// needs, one of three zones: clean, marginal (the link trains but the receiver corrects errors)
// or absent (the link does not train).
//
//   received SNR (dB)  = transmit PSD - noise PSD - kCableLoss * km * sqrt(symbol rate in MBd)
//                        + jitter(seed, direction, code)
//   required SNR (dB)  = 9.8 + 10 log10(2^bits - 1)      (QAM gap at a bit error rate of 1e-7)
//   margin             = received - required
//   clean: margin >= 3 dB; marginal: -3 dB <= margin < 3 dB, corrected errors per second
//   10^((3 - margin) / 2); absent: margin < -3 dB.
//
// Downstream (received by S) is sent at -60 dBm/Hz, upstream (received by P) at -63 dBm/Hz;
// the jitter is a fixed offset in [-0.5, 0.5] dB per direction and code, drawn from the seed.
// Faster codes use a wider band (more loss) or denser constellations (more SNR needed).
namespace sim {

enum class Direction { Down, Up };
enum class LinkZone { Clean, Marginal, Absent };

struct DirectionQuality {
    LinkZone zone = LinkZone::Absent;
    double snrDb = 0.0;
    double correctedPerSecond = 0.0;
};

// What a pair of rate codes gives on the line: both directions must train for the link to come
// up; the worse direction decides the zone of the pair.
struct LinkQuality {
    DirectionQuality down;
    DirectionQuality up;

    LinkZone zone() const;
    bool trains() const { return zone() != LinkZone::Absent; }

    static LinkQuality clean(double snrDb = 30.0);
    static LinkQuality marginal(double snrDb = 20.0, double correctedPerSecond = 5.0);
    static LinkQuality absent();
};

// Lets a test decide the outcome for given rate codes; nullopt leaves it to the model.
using QualityOverride =
    std::function<std::optional<LinkQuality>(std::uint8_t dsCode, std::uint8_t usCode)>;

struct LineConfig {
    double loopLengthM = 1500.0;
    double noiseDbmHz = -120.0;
    std::uint64_t seed = 1;
    QualityOverride override;
};

class LineModel {
public:
    static constexpr double kCableLossDbPerKm = 15.0; // at 1 MHz, grows with sqrt(f)
    static constexpr double kDownTransmitDbmHz = -60.0;
    static constexpr double kUpTransmitDbmHz = -63.0;
    static constexpr double kGapDb = 9.8;
    static constexpr double kCleanMarginDb = 3.0;
    static constexpr double kTrainMarginDb = -3.0;
    static constexpr double kJitterDb = 0.5;

    explicit LineModel(LineConfig config) : config_(std::move(config)) {}

    const LineConfig& config() const { return config_; }

    LinkQuality quality(std::uint8_t dsCode, std::uint8_t usCode) const;
    DirectionQuality direction(Direction direction, std::uint8_t code) const;
    double receivedSnrDb(Direction direction, std::uint8_t code) const;
    static double requiredSnrDb(int bitsPerSymbol);
    // How long the units need to train on these codes: 2.0 to 3.0 s, fixed per code pair.
    std::int64_t trainingMs(std::uint8_t dsCode, std::uint8_t usCode) const;

private:
    double jitterDb(Direction direction, std::uint8_t code) const;

    LineConfig config_;
};

// A well mixed 64-bit value from the seed and the given inputs (splitmix64 steps).
std::uint64_t mixSeed(std::uint64_t seed, std::uint64_t a, std::uint64_t b = 0);
// The mixed value mapped to [0, 1).
double unitInterval(std::uint64_t mixed);

} // namespace sim
