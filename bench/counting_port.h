#pragma once

#include "platform/serial_port.h"

#include <cstdint>
#include <memory>

namespace bench {

// A serial port that counts every byte crossing it, sent and received, for figures of time
// against the line's 9600 baud.
class CountingPort final : public platform::SerialPort {
public:
    explicit CountingPort(std::unique_ptr<platform::SerialPort> inner) : inner_(std::move(inner)) {}
    bool writeByte(std::uint8_t byte) override {
        ++sent;
        return inner_->writeByte(byte);
    }
    platform::ByteRead readByte() override {
        const platform::ByteRead read = inner_->readByte();
        received += read.status == platform::ReadStatus::Byte ? 1 : 0;
        return read;
    }
    void purge() override { inner_->purge(); }
    platform::CommTimeouts timeouts() const override { return inner_->timeouts(); }
    bool setTimeouts(const platform::CommTimeouts& t) override { return inner_->setTimeouts(t); }
    void close() override { inner_->close(); }

    std::int64_t sent = 0;
    std::int64_t received = 0;

private:
    std::unique_ptr<platform::SerialPort> inner_;
};

} // namespace bench
