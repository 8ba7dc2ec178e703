#include "pty_server.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr std::int64_t kNsPerMs = 1'000'000;
constexpr std::int64_t kNsPerSecond = 1'000'000'000;
constexpr std::int64_t kIdlePollNs = kNsPerSecond;
// A sleeping thread wakes tens of microseconds late, more on a busy machine: the last stretch
// before a paced byte is due is waited out awake, so the unit's timing stays the line's.
constexpr std::int64_t kSpinNs = 100'000;
// The default timer slack of 50 us would add to every paced byte's wait too.
constexpr unsigned long kTimerSlackNs = 1000;

bool makeRaw(int fd) {
    termios tio{};
    if (::tcgetattr(fd, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    tio.c_cflag |= CLOCAL | CREAD;
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    return ::tcsetattr(fd, TCSANOW, &tio) == 0;
}

// Writes one byte to the master, waiting a little for room: a terminal that nobody reads only
// loses what it cannot hold.
void writeMaster(int fd, std::uint8_t byte) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        const ssize_t written = ::write(fd, &byte, 1);
        if (written == 1)
            return;
        if (written < 0 && errno != EAGAIN && errno != EINTR)
            return;
        pollfd pfd{fd, POLLOUT, 0};
        ::poll(&pfd, 1, 50);
    }
}

} // namespace

std::int64_t steadyNowNs() {
    using namespace std::chrono;
    return duration_cast<nanoseconds>(steady_clock::now().time_since_epoch()).count();
}

PtyServer::PtyServer(UnitPair& pair, std::string linkPath, int latencyMs)
    : pair_(pair), linkPath_(std::move(linkPath)), adapter_(latencyMs * kNsPerMs) {}

PtyServer::~PtyServer() {
    close();
    if (log_ != nullptr)
        std::fclose(log_);
}

std::string PtyServer::open() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return "cannot create a pseudo-terminal";
    const char* name = ::ptsname(master_);
    if (name == nullptr)
        return "cannot name the pseudo-terminal";
    slavePath_ = name;
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    // Holding the slave open keeps the terminal alive between the programs that use it, and
    // lets its settings start raw for them.
    slave_ = ::open(slavePath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0 || !makeRaw(slave_))
        return "cannot set up " + slavePath_;

    struct stat existing {};
    if (::lstat(linkPath_.c_str(), &existing) == 0) {
        if (!S_ISLNK(existing.st_mode))
            return linkPath_ + " exists and is not a symbolic link";
        ::unlink(linkPath_.c_str());
    }
    if (::symlink(slavePath_.c_str(), linkPath_.c_str()) != 0)
        return "cannot create the link " + linkPath_;
    ::prctl(PR_SET_TIMERSLACK, kTimerSlackNs);
    startMs_ = steadyNowNs() / kNsPerMs;
    return {};
}

bool PtyServer::openLog(const std::string& path) {
    log_ = std::fopen(path.c_str(), "w");
    if (log_ == nullptr)
        return false;
    return true;
}

void PtyServer::logCommand(const LoggedCommand& command) {
    if (log_ == nullptr)
        return;
    std::fprintf(log_, "%lld %c %s\n", static_cast<long long>(command.atMs - startMs_),
                 sideLetter(command.unit), command.text.c_str());
    std::fflush(log_);
}

void PtyServer::deliverDueOutput(std::int64_t nowNs) {
    while (std::optional<std::uint8_t> byte = pair_.takeOutput(nowNs)) {
        // Held bytes due by the time this one arrives go to the PC without it.
        releaseHeld(pair_.reachedNs());
        adapter_.hold(*byte, pair_.reachedNs());
    }
    releaseHeld(nowNs);
}

void PtyServer::releaseHeld(std::int64_t nowNs) {
    for (const char byte : adapter_.release(nowNs))
        writeMaster(master_, static_cast<std::uint8_t>(byte));
}

// To the nanosecond: paced bytes are due every 1.04 ms, and a wait rounded up to whole
// milliseconds would deliver each of them up to a millisecond late.
timespec PtyServer::pollTimeout(std::int64_t nowNs) {
    std::optional<std::int64_t> wake = pair_.nextWakeNs();
    if (const std::optional<std::int64_t> release = adapter_.releaseNs())
        wake = wake ? std::min(*wake, *release) : *release;
    const std::int64_t ns =
        wake ? std::clamp<std::int64_t>(*wake - nowNs - kSpinNs, 0, kIdlePollNs) : kIdlePollNs;
    return {static_cast<time_t>(ns / kNsPerSecond), static_cast<long>(ns % kNsPerSecond)};
}

void PtyServer::readInput() {
    std::uint8_t buffer[256];
    const ssize_t got = ::read(master_, buffer, sizeof buffer);
    for (ssize_t i = 0; i < got && !pair_.faults().hangUp; ++i)
        pair_.receive(buffer[i], steadyNowNs());
}

void PtyServer::run(const volatile std::sig_atomic_t& stop) {
    while (stop == 0 && !pair_.faults().hangUp) {
        const std::int64_t now = steadyNowNs();
        deliverDueOutput(now);
        pollfd pfd{master_, POLLIN, 0};
        const timespec timeout = pollTimeout(now);
        const int ready = ::ppoll(&pfd, 1, &timeout, nullptr);
        if (ready > 0 && (pfd.revents & POLLIN) != 0)
            readInput();
    }
    close();
}

void PtyServer::close() {
    if (master_ >= 0) {
        // Closing both ends hangs up the program on the other side.
        ::close(master_);
        master_ = -1;
    }
    if (slave_ >= 0) {
        ::close(slave_);
        slave_ = -1;
    }
    char target[256];
    const ssize_t length = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
    if (length > 0 && std::string(target, static_cast<std::size_t>(length)) == slavePath_)
        ::unlink(linkPath_.c_str());
}

} // namespace sim
