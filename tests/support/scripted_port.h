#pragma once

#include "platform/serial_port.h"
#include "platform/virtual_clock.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace testsupport {

// A serial port that passes everything on to another one.
class ForwardingPort : public platform::SerialPort {
public:
    explicit ForwardingPort(platform::SerialPort& target) : target_(target) {}
    bool writeByte(std::uint8_t byte) override { return target_.writeByte(byte); }
    platform::ByteRead readByte() override { return target_.readByte(); }
    void purge() override { target_.purge(); }
    platform::CommTimeouts timeouts() const override { return target_.timeouts(); }
    bool setTimeouts(const platform::CommTimeouts& t) override { return target_.setTimeouts(t); }
    void close() override { target_.close(); }

private:
    platform::SerialPort& target_;
};

// A serial port driven by a script on a virtual clock: tests queue the unit's bytes (with gaps)
// and failures; writes are recorded. A read with nothing queued waits out its whole time-out;
// a closed port fails every read and write.
class ScriptedPort final : public platform::SerialPort {
public:
    explicit ScriptedPort(platform::VirtualClock& clock) : clock_(clock) {}

    // Queues text the unit will send; gapMs delays its first byte.
    void queue(std::string_view bytes, std::int64_t gapMs = 0);
    // The next read fails (hang-up) once the queued bytes before it are read.
    void queueFailure();
    // Every byte written is echoed back (queued) as it is written, before anything else queued.
    void setEcho(bool on) { echo_ = on; }
    void setWriteFails(bool fails) { writeFails_ = fails; }
    // Called after every byte written (its echo queued), so a test can play the unit.
    using WriteHook = std::function<void(std::uint8_t byte)>;
    void setWriteHook(WriteHook hook) { writeHook_ = std::move(hook); }
    // A handle for g_portHandle that forwards here: the port outlives the program's handle.
    std::unique_ptr<platform::SerialPort> handle();

    const std::string& written() const { return written_; }
    // What was written, with "[purge]" and "[close]" where they happened.
    const std::string& traffic() const { return traffic_; }

    bool writeByte(std::uint8_t byte) override;
    platform::ByteRead readByte() override;
    void purge() override;
    platform::CommTimeouts timeouts() const override { return timeouts_; }
    bool setTimeouts(const platform::CommTimeouts& t) override {
        timeouts_ = t;
        return true;
    }
    void close() override;

private:
    struct Item {
        enum Kind { Byte, Failure } kind;
        std::uint8_t byte;
        std::int64_t gapMs;
    };
    platform::VirtualClock& clock_;
    std::deque<Item> echoes_;
    std::deque<Item> input_;
    std::string written_;
    std::string traffic_;
    WriteHook writeHook_;
    bool echo_ = false;
    bool writeFails_ = false;
    bool closed_ = false;
    platform::CommTimeouts timeouts_;
};

} // namespace testsupport
