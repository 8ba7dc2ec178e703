#pragma once

#include <cstdint>
#include <optional>

namespace monitor {

// The unit a VDSL poll addressed, as the page's side buttons chose it for that poll.
enum class LineSide : std::uint8_t { Local, Remote };

// "Local" or "Remote", as the page's buttons name the side.
inline const char* sideName(LineSide side) {
    return side == LineSide::Local ? "Local" : "Remote";
}

// What one completed VDSL poll read, as the registers gave it. A read answered without a value
// stays empty; nothing stands in for it. The readings the page shows are computed from these
// values with the same formulas, so the history and the page always agree.
struct LineSample {
    std::int64_t wallTimeMs = 0;                  // when the poll began, ms since 1970-01-01 UTC
    std::optional<std::uint32_t> correctedErrors; // 8C91, counted since the previous read
    // The time since the previous read of the same unit's 8C91 (a poll or an Apply's error
    // check); empty when that read is not known, as for the first read of a run.
    std::optional<std::uint32_t> counterIntervalMs;
    std::optional<std::uint32_t> noise;         // 8C99, the v of SNR and MSE
    std::optional<std::uint16_t> transmitLevel; // 8C9C, the w of the transmitted power
    std::optional<std::uint8_t> linkCheck;      // 8c71 as the link check read it
    std::optional<std::uint8_t> unitType;       // 8c70
    std::optional<std::uint8_t> downstreamCode; // 8c40
    std::optional<std::uint8_t> upstreamCode;   // 8c41
    std::optional<std::uint8_t> linkFailCount;  // 8D38
    std::optional<std::uint8_t> receiverBits;   // 8C98
    std::optional<std::uint8_t> gainStep;       // 8C67
    std::optional<std::uint8_t> linkStateBits;  // 8C71 as the indicators show it
    LineSide side = LineSide::Local;

    // The link state the link check found; empty when it got no value.
    std::optional<bool> linkUp() const;
    // True for an S-side unit; empty when the unit type got no value.
    std::optional<bool> sSideUnit() const;
    // The readings as the page computes them: empty when a value they need is missing or the
    // rate code has no table entries. SNR and MSE may be +infinity (v of 0), the power -infinity
    // (w of 0).
    std::optional<double> snrDb() const;
    std::optional<double> mseDb() const;
    std::optional<double> transmitPowerDbmHz() const;
    std::optional<double> downstreamMbps() const;
    std::optional<double> upstreamMbps() const;
    // Corrected errors per second over the time the counter counted them; empty without the
    // count or its interval.
    std::optional<double> correctedErrorsPerSecond() const;

    // The rate codes the formulas take: each unit measures the direction it receives and reports
    // the power of the one it sends. Empty without the unit type or the code.
    std::optional<std::uint8_t> lineCode() const;
    std::optional<std::uint8_t> powerCode() const;
};

} // namespace monitor
