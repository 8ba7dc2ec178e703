#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace sim {

// The chip of a USB serial adapter between the unit and the PC. It holds what the unit sends
// until its latency timer runs out, counted from the first byte it holds, or until its buffer
// is full, and then hands everything held to the PC at once. A latency of 0 is a plain serial
// port: each byte goes on as it arrives.
class AdapterBuffer {
public:
    static constexpr std::size_t kCapacity = 62; // a 64-byte USB packet less two status bytes

    explicit AdapterBuffer(std::int64_t latencyNs) : latencyNs_(latencyNs) {}

    // A byte from the unit that fully arrived at arrivedNs. Bytes held must be released first
    // when their time has come by then.
    void hold(std::uint8_t byte, std::int64_t arrivedNs);
    // When the held bytes go to the PC; nothing when none are held.
    std::optional<std::int64_t> releaseNs() const;
    // The held bytes when their time has come by nowNs (then none are held), else nothing.
    std::string release(std::int64_t nowNs);

private:
    std::int64_t latencyNs_;
    std::int64_t firstHeldNs_ = 0;
    std::int64_t fullNs_ = 0;
    std::string held_;
};

} // namespace sim
