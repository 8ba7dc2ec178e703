#pragma once

#include <array>
#include <cstdint>

namespace sim {

// The six rate configuration bytes 8c10..8c15: downstream code, upstream code, downstream
// tuning low and high, upstream tuning low and high. The link trains only when both units run
// the same six bytes.
struct RateSet {
    std::array<std::uint8_t, 6> bytes{};

    std::uint8_t downCode() const { return bytes[0]; }
    std::uint8_t upCode() const { return bytes[1]; }
    bool operator==(const RateSet&) const = default;
};

// Factory rates: 3.7917 Mbit/s downstream (54), 1.4219 Mbit/s upstream (68).
inline constexpr RateSet kDefaultRates{{0x54, 0x68, 0x4b, 0x00, 0xb7, 0x00}};

} // namespace sim
