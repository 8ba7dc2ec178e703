#ifdef _WIN32

#include "platform/serial_port_win32.h"

#include "platform/port_open.h"

#include <cstdio>
#include <memory>
#include <string>
#include <windows.h>

namespace platform {

namespace {

constexpr DWORD kPurgeAll = PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR;

COMMTIMEOUTS toWin32(const CommTimeouts& timeouts) {
    COMMTIMEOUTS win{};
    win.ReadIntervalTimeout = timeouts.readInterval;
    win.ReadTotalTimeoutMultiplier = timeouts.readTotalMultiplier;
    win.ReadTotalTimeoutConstant = timeouts.readTotalConstant;
    win.WriteTotalTimeoutMultiplier = timeouts.writeTotalMultiplier;
    win.WriteTotalTimeoutConstant = timeouts.writeTotalConstant;
    return win;
}

CommTimeouts fromWin32(const COMMTIMEOUTS& win) {
    CommTimeouts timeouts;
    timeouts.readInterval = win.ReadIntervalTimeout;
    timeouts.readTotalMultiplier = win.ReadTotalTimeoutMultiplier;
    timeouts.readTotalConstant = win.ReadTotalTimeoutConstant;
    timeouts.writeTotalMultiplier = win.WriteTotalTimeoutMultiplier;
    timeouts.writeTotalConstant = win.WriteTotalTimeoutConstant;
    return timeouts;
}

// A synchronous (not overlapped) COM port handle: every call blocks as the time-outs allow.
class Win32SerialPort final : public SerialPort {
public:
    explicit Win32SerialPort(HANDLE handle) : handle_(handle) {}
    ~Win32SerialPort() override { close(); }

    bool writeByte(std::uint8_t byte) override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        DWORD written = 0;
        return ::WriteFile(handle_, &byte, 1, &written, nullptr) != 0 && written == 1;
    }

    ByteRead readByte() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return {ReadStatus::Failure, 0};
        std::uint8_t byte = 0;
        DWORD got = 0;
        if (::ReadFile(handle_, &byte, 1, &got, nullptr) == 0)
            return {ReadStatus::Failure, 0};
        // A successful read of nothing is how the total time-out expires.
        if (got == 0)
            return {ReadStatus::Timeout, 0};
        return {ReadStatus::Byte, byte};
    }

    void purge() override {
        if (handle_ != INVALID_HANDLE_VALUE)
            ::PurgeComm(handle_, kPurgeAll);
    }

    CommTimeouts timeouts() const override {
        COMMTIMEOUTS win{};
        if (handle_ != INVALID_HANDLE_VALUE)
            ::GetCommTimeouts(handle_, &win);
        return fromWin32(win);
    }

    bool setTimeouts(const CommTimeouts& timeouts) override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return false;
        // All five are written; the console link read the current ones through timeouts().
        COMMTIMEOUTS win = toWin32(timeouts);
        return ::SetCommTimeouts(handle_, &win) != 0;
    }

    void close() override {
        if (handle_ == INVALID_HANDLE_VALUE)
            return;
        // Dropping DTR tells the unit's console that the PC has gone.
        ::SetCommMask(handle_, 0);
        ::EscapeCommFunction(handle_, CLRDTR);
        ::PurgeComm(handle_, kPurgeAll);
        ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE handle_;
};

HANDLE createPortHandle(int portNumber) {
    SECURITY_ATTRIBUTES security{};
    security.nLength = static_cast<DWORD>(sizeof(security));
    security.lpSecurityDescriptor = nullptr;
    security.bInheritHandle = TRUE;
    const std::string device = portDeviceName(portNumber);
    return ::CreateFileA(device.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &security, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
}

// 9600 8N1 from a device-control string over the port's current state; no flow control.
// The device name in the string is ignored by the system, so it always names COM1.
bool applyLineSettings(HANDLE handle) {
    DCB dcb{};
    dcb.DCBlength = static_cast<DWORD>(sizeof(dcb));
    ::GetCommState(handle, &dcb);
    char control[64];
    std::snprintf(control, sizeof(control), "COM%d: baud=%ld parity=N data=8 stop=1", 1, 9600L);
    ::BuildCommDCBA(control, &dcb);
    dcb.fBinary = 1;
    dcb.fParity = 0;
    dcb.fOutxCtsFlow = 0;
    dcb.fOutxDsrFlow = 0;
    return ::SetCommState(handle, &dcb) != 0;
}

} // namespace

OpenResult openWin32SerialPort(int portNumber) {
    OpenResult result;
    const HANDLE handle = createPortHandle(portNumber);
    if (handle == INVALID_HANDLE_VALUE) {
        result.errorCode = static_cast<long>(::GetLastError());
        return result;
    }
    ::PurgeComm(handle, kPurgeAll);
    COMMTIMEOUTS timeouts = toWin32(CommTimeouts{});
    ::SetCommTimeouts(handle, &timeouts);
    if (!applyLineSettings(handle)) {
        ::CloseHandle(handle);
        result.failedAfterOpen = true;
        return result;
    }
    result.port = std::make_unique<Win32SerialPort>(handle);
    return result;
}

} // namespace platform

#endif // _WIN32
