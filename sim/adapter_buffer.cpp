#include "adapter_buffer.h"

namespace sim {

void AdapterBuffer::hold(std::uint8_t byte, std::int64_t arrivedNs) {
    if (held_.empty())
        firstHeldNs_ = arrivedNs;
    held_.push_back(static_cast<char>(byte));
    if (held_.size() == kCapacity)
        fullNs_ = arrivedNs;
}

std::optional<std::int64_t> AdapterBuffer::releaseNs() const {
    if (held_.empty())
        return std::nullopt;
    if (held_.size() >= kCapacity)
        return fullNs_;
    return firstHeldNs_ + latencyNs_;
}

std::string AdapterBuffer::release(std::int64_t nowNs) {
    const std::optional<std::int64_t> due = releaseNs();
    if (!due || *due > nowNs)
        return {};
    std::string bytes;
    bytes.swap(held_);
    return bytes;
}

} // namespace sim
