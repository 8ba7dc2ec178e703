#include "platform/serial_port_posix.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <limits>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/serial.h>
#endif

namespace platform {

namespace {

class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(int fd) : fd_(fd) {}
    ~PosixSerialPort() override { close(); }

    bool writeByte(std::uint8_t byte) override {
        if (fd_ < 0)
            return false;
        // Writes never time out: wait for room as long as the line needs.
        for (;;) {
            const ssize_t written = ::write(fd_, &byte, 1);
            if (written == 1)
                return true;
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
                pollfd pfd{fd_, POLLOUT, 0};
                if (::poll(&pfd, 1, -1) < 0 && errno != EINTR)
                    return false;
                if ((pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
                    return false;
                continue;
            }
            return false;
        }
    }

    ByteRead readByte() override {
        if (fd_ < 0)
            return {ReadStatus::Failure, 0};
        // A one-byte read waits the multiplier plus the constant, against a monotonic deadline.
        const std::int64_t deadline =
            steadyNowMs() + timeouts_.readTotalMultiplier + timeouts_.readTotalConstant;
        bool hungUp = false;
        for (;;) {
            // Data first, even when a hang-up follows it.
            std::uint8_t byte = 0;
            const ssize_t got = ::read(fd_, &byte, 1);
            if (got == 1)
                return {ReadStatus::Byte, byte};
            if (got == 0)
                return {ReadStatus::Failure, 0}; // end of file: the other end hung up
            if (errno == EINTR)
                continue;
            // EIO is how a pseudo-terminal master reports that its slave side is gone.
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return {ReadStatus::Failure, 0};
            if (hungUp)
                return {ReadStatus::Failure, 0};
            const std::int64_t left = deadline - steadyNowMs();
            if (left <= 0)
                return {ReadStatus::Timeout, 0};
            pollfd pfd{fd_, POLLIN, 0};
            const int ready =
                ::poll(&pfd, 1, static_cast<int>(std::min<std::int64_t>(left, kMaxPollMs)));
            if (ready < 0 && errno != EINTR)
                return {ReadStatus::Failure, 0};
            hungUp = ready > 0 && (pfd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
        }
    }

    void purge() override {
        if (fd_ >= 0)
            ::tcflush(fd_, TCIOFLUSH);
    }

    CommTimeouts timeouts() const override { return timeouts_; }

    bool setTimeouts(const CommTimeouts& timeouts) override {
        if (fd_ < 0)
            return false;
        timeouts_ = timeouts;
        return true;
    }

    void close() override {
        if (fd_ < 0)
            return;
        // Lower DTR; a pseudo-terminal has no modem lines and refuses, which is fine.
        int dtr = TIOCM_DTR;
        ::ioctl(fd_, TIOCMBIC, &dtr);
        ::tcflush(fd_, TCIOFLUSH);
        // The exclusive flag outlives this descriptor while anyone else holds the line open.
        ::ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }

private:
    static constexpr std::int64_t kMaxPollMs = std::numeric_limits<int>::max();

    // The time-outs are real time even when a test replaced the program's clock: this
    // transport talks to a real device.
    static std::int64_t steadyNowMs() {
        timespec ts{};
        ::clock_gettime(CLOCK_MONOTONIC, &ts);
        return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
    }

    int fd_;
    CommTimeouts timeouts_;
};

bool configure(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB);
    tio.c_cflag |= CS8;
#ifdef CRTSCTS
    tio.c_cflag &= ~static_cast<tcflag_t>(CRTSCTS);
#endif
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    if (::cfsetispeed(&tio, B9600) != 0 || ::cfsetospeed(&tio, B9600) != 0)
        return false;
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

void requestLowLatency(int fd) {
#if defined(__linux__) && defined(ASYNC_LOW_LATENCY)
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) == 0) {
        serial.flags |= ASYNC_LOW_LATENCY;
        ::ioctl(fd, TIOCSSERIAL, &serial); // best effort: USB adapters only
    }
#else
    (void)fd;
#endif
}

// One program at a time on the line, as the Windows share mode 0 gives. TIOCEXCL does not stop
// a privileged opener; the advisory lock also keeps out a second copy running as root.
// Returns 0 or the error code of the refusal.
int claimExclusive(int fd) {
    if (::ioctl(fd, TIOCEXCL) != 0)
        return errno;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        return EBUSY;
    return 0; // a file system without locks still has TIOCEXCL
}

} // namespace

OpenResult openPosixSerialPort(const std::string& device) {
    OpenResult result;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.errorCode = errno;
        return result;
    }
    if (!::isatty(fd)) {
        ::close(fd);
        result.errorCode = ENOTTY;
        return result;
    }
    if (const int error = claimExclusive(fd); error != 0) {
        ::close(fd);
        result.errorCode = error;
        return result;
    }
    ::tcflush(fd, TCIOFLUSH);
    if (!configure(fd)) {
        ::close(fd);
        result.failedAfterOpen = true;
        return result;
    }
    requestLowLatency(fd);
    result.port = std::make_unique<PosixSerialPort>(fd);
    return result;
}

} // namespace platform
