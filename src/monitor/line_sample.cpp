#include "monitor/line_sample.h"

#include "link/decoding.h"
#include "link/registers.h"

namespace monitor {

std::optional<bool> LineSample::linkUp() const {
    if (!linkCheck)
        return std::nullopt;
    return (*linkCheck & kLinkUp) != 0;
}

std::optional<bool> LineSample::sSideUnit() const {
    if (!unitType)
        return std::nullopt;
    return (*unitType & kUnitTypeSSide) != 0;
}

std::optional<std::uint8_t> LineSample::lineCode() const {
    if (!unitType)
        return std::nullopt;
    return *sSideUnit() ? upstreamCode : downstreamCode;
}

std::optional<std::uint8_t> LineSample::powerCode() const {
    if (!unitType)
        return std::nullopt;
    return *sSideUnit() ? downstreamCode : upstreamCode;
}

std::optional<double> LineSample::snrDb() const {
    const auto code = lineCode();
    if (!noise || !code)
        return std::nullopt;
    return SignalToNoiseDb(*noise, *code);
}

std::optional<double> LineSample::mseDb() const {
    const auto code = lineCode();
    if (!noise || !code)
        return std::nullopt;
    return MeanSquareErrorDb(*noise, *code);
}

std::optional<double> LineSample::transmitPowerDbmHz() const {
    const auto code = powerCode();
    if (!transmitLevel || !gainStep || !code)
        return std::nullopt;
    return TransmitPowerDbmHz(*transmitLevel, *gainStep, *code);
}

std::optional<double> LineSample::downstreamMbps() const {
    return downstreamCode ? LineRateMbps(*downstreamCode) : std::nullopt;
}

std::optional<double> LineSample::upstreamMbps() const {
    return upstreamCode ? LineRateMbps(*upstreamCode) : std::nullopt;
}

std::optional<double> LineSample::correctedErrorsPerSecond() const {
    if (!correctedErrors || !counterIntervalMs || *counterIntervalMs == 0)
        return std::nullopt;
    return *correctedErrors * 1000.0 / *counterIntervalMs;
}

} // namespace monitor
