#include "platform/serial_port_posix.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <string>
#include <termios.h>
#include <unistd.h>

// End-to-end tests of the POSIX transport over a real pseudo-terminal: the test holds the master
// side and plays the unit; the port under test opens the slave by its path.
namespace {

using platform::ReadStatus;

class PosixSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        char name[128] = {};
        ASSERT_EQ(::openpty(&master_, &slave_, name, nullptr, nullptr), 0) << errno;
        path_ = name;
        termios tio{};
        ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
        ::cfmakeraw(&tio);
        ASSERT_EQ(::tcsetattr(slave_, TCSANOW, &tio), 0);
    }

    void TearDown() override {
        closeMaster();
        if (slave_ >= 0)
            ::close(slave_);
    }

    void closeMaster() {
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

    std::unique_ptr<platform::SerialPort> openPort() {
        platform::OpenResult result = platform::openPosixSerialPort(path_);
        EXPECT_EQ(result.errorCode, 0);
        EXPECT_FALSE(result.failedAfterOpen);
        return std::move(result.port);
    }

    // A short read time-out keeps the tests that expect one fast.
    static void shortenReadTimeout(platform::SerialPort& port) {
        platform::CommTimeouts timeouts = port.timeouts();
        timeouts.readTotalConstant = 50;
        ASSERT_TRUE(port.setTimeouts(timeouts));
    }

    void sendFromUnit(const std::string& bytes) {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // What the unit received: count bytes, waiting at most two seconds for them.
    std::string receivedByUnit(std::size_t count) {
        std::string got;
        while (got.size() < count) {
            pollfd pfd{master_, POLLIN, 0};
            if (::poll(&pfd, 1, 2000) <= 0)
                break;
            char buffer[64];
            const ssize_t n = ::read(master_, buffer, std::min(sizeof(buffer), count - got.size()));
            if (n <= 0)
                break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }

    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

TEST_F(PosixSerialPortTest, OpensWithTheConsoleDefaultsAndTheLineSettings) {
    // Leave the line cooked, 7E2 at another speed with hardware flow control: the open must set
    // every one of these back.
    termios tio{};
    ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
    tio.c_lflag |= ICANON | ECHO | ISIG;
    tio.c_iflag |= ICRNL | IXON;
    tio.c_oflag |= OPOST | ONLCR;
    tio.c_cflag = (tio.c_cflag & ~static_cast<tcflag_t>(CSIZE)) | CS7 | PARENB | CSTOPB | CRTSCTS;
    ::cfsetispeed(&tio, B19200);
    ::cfsetospeed(&tio, B19200);
    ASSERT_EQ(::tcsetattr(slave_, TCSANOW, &tio), 0);

    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    const platform::CommTimeouts timeouts = port->timeouts();
    EXPECT_EQ(timeouts.readInterval, 0u);
    EXPECT_EQ(timeouts.readTotalMultiplier, 10u);
    EXPECT_EQ(timeouts.readTotalConstant, 4000u);
    EXPECT_EQ(timeouts.writeTotalMultiplier, 0u);
    EXPECT_EQ(timeouts.writeTotalConstant, 0u);

    ASSERT_EQ(::tcgetattr(slave_, &tio), 0);
    EXPECT_EQ(::cfgetispeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(::cfgetospeed(&tio), static_cast<speed_t>(B9600));
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_cflag & (CLOCAL | CREAD), static_cast<tcflag_t>(CLOCAL | CREAD));
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (ICRNL | IXON | IXOFF), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
}

TEST_F(PosixSerialPortTest, ReadWithNothingSentTimesOut) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    shortenReadTimeout(*port);
    EXPECT_EQ(port->readByte().status, ReadStatus::Timeout);
}

TEST_F(PosixSerialPortTest, ReadsEveryByteTheUnitSendsUnchanged) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    const std::string sent("\r\n\x05\xff\x00:L>", 8);
    sendFromUnit(sent);
    std::string got;
    for (std::size_t i = 0; i < sent.size(); ++i) {
        const platform::ByteRead read = port->readByte();
        ASSERT_EQ(read.status, ReadStatus::Byte) << i;
        got += static_cast<char>(read.byte);
    }
    EXPECT_EQ(got, sent);
}

TEST_F(PosixSerialPortTest, WrittenBytesReachTheUnitUnchanged) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    const std::string sent("rd 8c70\n\x05", 9);
    for (const char c : sent)
        ASSERT_TRUE(port->writeByte(static_cast<std::uint8_t>(c)));
    EXPECT_EQ(receivedByUnit(sent.size()), sent);
}

TEST_F(PosixSerialPortTest, PurgeDropsWhatTheUnitSentBefore) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    shortenReadTimeout(*port);
    sendFromUnit("xstale");
    ASSERT_EQ(port->readByte().byte, 'x'); // the rest has arrived with it
    port->purge();
    EXPECT_EQ(port->readByte().status, ReadStatus::Timeout);
    sendFromUnit("n");
    EXPECT_EQ(port->readByte().byte, 'n');
}

TEST_F(PosixSerialPortTest, HangUpIsAFailureNotATimeout) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    closeMaster();
    EXPECT_EQ(port->readByte().status, ReadStatus::Failure);
    EXPECT_EQ(port->readByte().status, ReadStatus::Failure);
    EXPECT_FALSE(port->writeByte('\n'));
}

TEST_F(PosixSerialPortTest, CloseToleratesALineWithoutDtrAndIsHarmlessTwice) {
    const auto port = openPort();
    ASSERT_NE(port, nullptr);
    port->close(); // a pseudo-terminal refuses to lower DTR
    port->close();
    EXPECT_EQ(port->readByte().status, ReadStatus::Failure);
    EXPECT_FALSE(port->writeByte('\n'));
    EXPECT_FALSE(port->setTimeouts({}));
    EXPECT_NE(openPort(), nullptr); // the line is free again
}

TEST_F(PosixSerialPortTest, SecondOpenOfTheSameLineIsRefused) {
    const auto first = openPort();
    ASSERT_NE(first, nullptr);
    const platform::OpenResult second = platform::openPosixSerialPort(path_);
    EXPECT_EQ(second.port, nullptr);
    EXPECT_EQ(second.errorCode, EBUSY);
    EXPECT_FALSE(second.failedAfterOpen);
}

TEST(PosixSerialPortOpenTest, MissingDeviceGivesENOENT) {
    const platform::OpenResult result = platform::openPosixSerialPort("/dev/quillon-no-such-port");
    EXPECT_EQ(result.port, nullptr);
    EXPECT_EQ(result.errorCode, ENOENT);
    EXPECT_FALSE(result.failedAfterOpen);
}

TEST(PosixSerialPortOpenTest, PathsThatAreNoTerminalAreRefusedWithAnErrorCode) {
    char directory[] = "/tmp/quillon-port-XXXXXX";
    ASSERT_NE(::mkdtemp(directory), nullptr);
    const std::string file = std::string(directory) + "/file";
    if (FILE* f = std::fopen(file.c_str(), "w"))
        std::fclose(f);

    for (const std::string& path : {std::string(directory), file, std::string("/dev/null")}) {
        const platform::OpenResult result = platform::openPosixSerialPort(path);
        EXPECT_EQ(result.port, nullptr) << path;
        EXPECT_NE(result.errorCode, 0) << path;
        EXPECT_FALSE(result.failedAfterOpen) << path;
    }
    std::remove(file.c_str());
    ::rmdir(directory);
}

} // namespace
