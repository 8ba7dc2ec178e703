#pragma once

#include "support/scripted_port.h"

#include <cstdint>
#include <memory>

namespace testsupport {

// A serial port that counts every byte crossing it, sent and received, for figures of time
// against the line's 9600 baud.
class CountingPort final : public ForwardingPort {
public:
    explicit CountingPort(std::unique_ptr<platform::SerialPort> inner)
        : ForwardingPort(*inner), inner_(std::move(inner)) {}
    bool writeByte(std::uint8_t byte) override {
        ++sent;
        return ForwardingPort::writeByte(byte);
    }
    platform::ByteRead readByte() override {
        const platform::ByteRead read = ForwardingPort::readByte();
        received += read.status == platform::ReadStatus::Byte ? 1 : 0;
        return read;
    }

    std::int64_t sent = 0;
    std::int64_t received = 0;

private:
    std::unique_ptr<platform::SerialPort> inner_;
};

} // namespace testsupport
