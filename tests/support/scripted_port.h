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

// A serial port driven by a script, on a virtual clock: tests queue the bytes the unit sends,
// with optional gaps before them, and failures; what the program writes is recorded.
// A read with nothing queued waits out the whole time-out on the clock and times out.
// A closed port fails every read and write.
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
    // Called after every byte written (its echo already queued), so a test can play the unit.
    using WriteHook = std::function<void(std::uint8_t byte)>;
    void setWriteHook(WriteHook hook) { writeHook_ = std::move(hook); }
    // A handle to put in g_portHandle: it forwards to this port, so the test can still look at
    // the port after the program has closed and dropped its handle.
    std::unique_ptr<platform::SerialPort> handle();

    const std::string& written() const { return written_; }
    // What was written, with "[purge]" and "[close]" where the port was purged and closed.
    const std::string& traffic() const { return traffic_; }
    std::string pendingInput() const;
    bool closed() const { return closed_; }

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
