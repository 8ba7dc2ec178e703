#include "platform/port_list.h"
#include "platform/port_open.h"
#include "platform/serial_port_posix.h"
#include "support/work_folder.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
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
        port_ = platform::openPosixSerialPort(path_).port;
        // A short read time-out keeps the tests that expect one fast.
        ASSERT_TRUE(port_ && port_->setTimeouts({0, 10, 50, 0, 0}));
    }
    void TearDown() override {
        ::close(slave_);
        if (master_ >= 0)
            ::close(master_);
    }

    std::unique_ptr<platform::SerialPort> port_;
    int master_ = -1;
    int slave_ = -1;
    std::string path_;
};

TEST_F(PosixSerialPortTest, OpensWithTheConsoleDefaultsAndSetsTheLineBackTo9600Raw8N1) {
    port_.reset();
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

TEST_F(PosixSerialPortTest, HangUpIsAFailureNotATimeout) {
    ::close(master_);
    master_ = -1;
    EXPECT_EQ(port_->readByte().status, ReadStatus::Failure);
    EXPECT_EQ(port_->readByte().status, ReadStatus::Failure);
    EXPECT_FALSE(port_->writeByte('\n'));
}

TEST_F(PosixSerialPortTest, OneOpenAtATimeAndCloseToleratesALineWithoutDtr) {
    const platform::OpenResult second = platform::openPosixSerialPort(path_);
    EXPECT_EQ(std::tie(second.port, second.errorCode, second.failedAfterOpen),
              std::make_tuple(nullptr, EBUSY, false));
    port_->close(); // a pseudo-terminal refuses to lower DTR
    port_->close();
    EXPECT_EQ(port_->readByte().status, ReadStatus::Failure);
    EXPECT_FALSE(port_->writeByte('\n'));
    EXPECT_FALSE(port_->setTimeouts({}));
    EXPECT_NE(platform::openPosixSerialPort(path_).port, nullptr); // the line is free again
}

// COM1 and COM2 are the environment's devices unless it names none.
TEST(PortDeviceName, EnvironmentNamesTheDeviceUnlessEmpty) {
    const std::tuple<int, const char*, const char*> cases[] = {{1, nullptr, "/dev/ttyS0"},
                                                               {2, nullptr, "/dev/ttyS1"},
                                                               {1, "/dev/ttyUSB0", "/dev/ttyUSB0"},
                                                               {2, "", "/dev/ttyS1"}};
    for (const auto& [number, value, device] : cases) {
        const char* name = number == 1 ? "QUILLON_COM1" : "QUILLON_COM2";
        value != nullptr ? ::setenv(name, value, 1) : ::unsetenv(name);
        EXPECT_EQ(platform::portDeviceName(number), device) << number;
    }
    ::setenv("QUILLON_COM2", "/", 1); // and the port opened is that device
    EXPECT_EQ(platform::openSerialPort(2).errorCode, EISDIR);
}

// An adapter's latency timer as the system shows it, found through a link to its device too.
TEST(UsbLatencyTimer, ReadFromTheAdaptersTtyWhereTheSystemShowsIt) {
    const testsupport::WorkFolder sys;
    const std::pair<const char*, const char*> shown[] = {{"ttyUSB0", "16\n"}, {"ttyUSB2", "none"}};
    for (const auto& [tty, text] : shown) {
        std::filesystem::create_directories(sys.path() / "bus/usb-serial/devices" / tty);
        std::ofstream(sys.path() / "bus/usb-serial/devices" / tty / "latency_timer") << text;
    }
    std::ofstream(sys.path() / "ttyUSB0").put('\0');
    std::filesystem::create_symlink(sys.path() / "ttyUSB0", sys.path() / "by-id");
    const std::tuple<std::string, int> cases[] = {
        {"/dev/ttyUSB0", 16}, {sys.file("by-id"), 16}, {"/dev/ttyUSB2", 0}, {"/dev/ttyS0", 0}};
    for (const auto& [device, ms] : cases)
        EXPECT_EQ(platform::usbLatencyTimerMs(device, sys.path().string()), ms) << device;
}

} // namespace
