#include "platform/serial_port_posix.h"

#include <cerrno>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <tuple>
#include <unistd.h>

// The POSIX transport over a real pseudo-terminal: the test holds the master side and plays the
// unit; the port under test opens the slave by its path.
namespace {

using platform::ReadStatus;

class PosixSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[128] = {};
        termios raw{};
        ::cfmakeraw(&raw);
        ::cfsetspeed(&raw, B9600);
        ASSERT_EQ(::openpty(&master_, &slave_, name, &raw, nullptr), 0) << errno;
        path_ = name;
    }
    void TearDown() override {
        ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
    }

    // Opens the line with a short read time-out, so that the tests expecting one are fast.
    std::unique_ptr<platform::SerialPort> openPort() {
        std::unique_ptr<platform::SerialPort> port = platform::openPosixSerialPort(path_).port;
        EXPECT_TRUE(port && port->setTimeouts({0, 10, 50, 0, 0}));
        return port;
    }

    // What the unit received: up to count bytes, waiting at most two seconds for them.
    std::string receivedByUnit(std::size_t count) {
        std::string got;
        pollfd pfd{master_, POLLIN, 0};
        char byte = 0;
        while (got.size() < count && ::poll(&pfd, 1, 2000) > 0 && ::read(master_, &byte, 1) == 1)
            got += byte;
        return got;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

TEST_F(PosixSerialPortTest, OpensWithTheConsoleDefaultsAndSetsTheLineBackTo9600Raw8N1) {
    // A line left cooked, 7E2 at another speed with hardware flow control.
    termios tio{};
    ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
    tio.c_lflag |= ICANON | ECHO | ISIG;
    tio.c_iflag |= ICRNL | IXON | IXOFF;
    tio.c_oflag |= OPOST | ONLCR;
    tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS7 | PARENB | CSTOPB | CRTSCTS;
    ::cfsetspeed(&tio, B19200);
    ASSERT_EQ(::tcsetattr(slave_, TCSANOW, &tio), 0);

    const platform::OpenResult result = platform::openPosixSerialPort(path_);
    ASSERT_NE(result.port, nullptr);
    const platform::CommTimeouts t = result.port->timeouts();
    EXPECT_EQ(std::tie(t.readInterval, t.readTotalMultiplier, t.readTotalConstant,
                       t.writeTotalMultiplier, t.writeTotalConstant),
              std::make_tuple(0u, 10u, 4000u, 0u, 0u));
    ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
    EXPECT_TRUE(::cfgetispeed(&tio) == B9600 && ::cfgetospeed(&tio) == B9600);
    EXPECT_EQ(tio.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS | CLOCAL | CREAD),
              static_cast<tcflag_t>(CS8 | CLOCAL | CREAD));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST_F(PosixSerialPortTest, BytesPassUnchangedBothWays) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    const std::string sent("rd 8c70\n\x05\xff\x00\r", 12);
    for (const char c : sent)
        ASSERT_TRUE(port->writeByte(static_cast<std::uint8_t>(c)));
    EXPECT_EQ(receivedByUnit(sent.size()), sent);
    ASSERT_EQ(::write(master_, sent.data(), sent.size()), static_cast<ssize_t>(sent.size()));
    std::string got;
    for (platform::ByteRead read = port->readByte(); read.status == ReadStatus::Byte;
         read = port->readByte())
        got += static_cast<char>(read.byte);
    EXPECT_EQ(got, sent); // and then a time-out
}

TEST_F(PosixSerialPortTest, PurgeDropsWhatTheUnitSentBefore) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    ASSERT_EQ(::write(master_, "xstale", 6), 6);
    ASSERT_EQ(port->readByte().byte, 'x'); // the rest has arrived with it
    port->purge();
    EXPECT_EQ(port->readByte().status, ReadStatus::Timeout);
    ASSERT_EQ(::write(master_, "n", 1), 1);
    EXPECT_EQ(port->readByte().byte, 'n');
}

TEST_F(PosixSerialPortTest, HangUpIsAFailureNotATimeout) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    ::close(master_);
    master_ = -1;
    EXPECT_EQ(port->readByte().status, ReadStatus::Failure);
    EXPECT_EQ(port->readByte().status, ReadStatus::Failure);
    EXPECT_FALSE(port->writeByte('\n'));
}

TEST_F(PosixSerialPortTest, OneOpenAtATimeAndCloseToleratesALineWithoutDtr) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    const platform::OpenResult second = platform::openPosixSerialPort(path_);
    EXPECT_EQ(std::tie(second.port, second.errorCode, second.failedAfterOpen),
              std::make_tuple(nullptr, EBUSY, false));
    port->close(); // a pseudo-terminal refuses to lower DTR
    port->close();
    EXPECT_EQ(port->readByte().status, ReadStatus::Failure);
    EXPECT_FALSE(port->writeByte('\n'));
    EXPECT_FALSE(port->setTimeouts({}));
    EXPECT_NE(openPort(), nullptr); // the line is free again
}

TEST(PosixSerialPortOpenTest, PathsThatAreNoTerminalAreRefusedWithTheirErrorCode) {
    for (const auto& [path, error] : {std::pair("/dev/quillon-no-such-port", ENOENT),
                                      std::pair("/", EISDIR), std::pair("/dev/null", ENOTTY)}) {
        const platform::OpenResult result = platform::openPosixSerialPort(path);
        EXPECT_EQ(std::tie(result.port, result.errorCode, result.failedAfterOpen),
                  std::make_tuple(nullptr, error, false))
            << path;
    }
}

} // namespace
