#pragma once

#include <cstdint>
#include <memory>
#include <string>

// The serial transport seen by the console link: one byte per write and per read, time-outs as
// the Windows communication time-outs define them (a one-byte read waits at most
// readTotalMultiplier + readTotalConstant milliseconds). Standard library only, so the Win32
// transport can be compiled on its own by a cross compiler.
namespace platform {

struct CommTimeouts {
    std::uint32_t readInterval = 0;
    std::uint32_t readTotalMultiplier = 10;
    std::uint32_t readTotalConstant = 4000;
    std::uint32_t writeTotalMultiplier = 0;
    std::uint32_t writeTotalConstant = 0;
};

enum class ReadStatus { Byte, Timeout, Failure };

struct ByteRead {
    ReadStatus status = ReadStatus::Failure;
    std::uint8_t byte = 0;
};

class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Writes one byte; false when the write failed.
    virtual bool writeByte(std::uint8_t byte) = 0;
    // Reads one byte, waiting at most readTotalMultiplier + readTotalConstant milliseconds.
    // A broken connection (hang-up, unplugged adapter) is a Failure, never a Timeout.
    virtual ByteRead readByte() = 0;
    // Discards pending input and output (all four purge flags).
    virtual void purge() = 0;
    virtual CommTimeouts timeouts() const = 0;
    // Returns the platform's success flag.
    virtual bool setTimeouts(const CommTimeouts& timeouts) = 0;
    // Clears the event mask, lowers DTR, purges and closes. Safe to call twice.
    virtual void close() = 0;
};

// Outcome of opening a port: the port, or the system error code when it could not be opened.
// A port whose line settings could not be applied has been closed again and has errorCode 0
// with failedAfterOpen set (nothing is printed for it).
struct OpenResult {
    std::unique_ptr<SerialPort> port;
    long errorCode = 0;
    bool failedAfterOpen = false;
};

} // namespace platform
