#include "simulated_port.h"

namespace sim {

namespace {
constexpr std::int64_t kNsPerMs = 1'000'000;
}

bool SimulatedPort::writeByte(std::uint8_t byte) {
    if (broken())
        return false;
    written_ += static_cast<char>(byte);
    pair_.receive(byte, pair_.nowNs());
    return true;
}

platform::ByteRead SimulatedPort::readByte() {
    if (broken())
        return {platform::ReadStatus::Failure, 0};
    const std::int64_t waitMs =
        std::int64_t{timeouts_.readTotalMultiplier} + timeouts_.readTotalConstant;
    const std::int64_t limitNs = pair_.nowNs() + waitMs * kNsPerMs;
    const std::optional<std::uint8_t> byte = pair_.takeOutput(limitNs);
    clock_.advanceTo(pair_.nowNs() / kNsPerMs);
    if (!byte)
        return {platform::ReadStatus::Timeout, 0};
    return {platform::ReadStatus::Byte, *byte};
}

void SimulatedPort::purge() {
    ++purges_;
    if (!broken())
        pair_.purgeArrivedOutput();
}

bool SimulatedPort::setTimeouts(const platform::CommTimeouts& timeouts) {
    if (closed_)
        return false;
    timeouts_ = timeouts;
    return true;
}

platform::PortOpener simulatedPortOpener(UnitPair& pair, platform::VirtualClock& clock) {
    return [&pair, &clock](int) {
        platform::OpenResult result;
        result.port = std::make_unique<SimulatedPort>(pair, clock);
        return result;
    };
}

} // namespace sim
