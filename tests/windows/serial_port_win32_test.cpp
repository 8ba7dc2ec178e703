// The Win32 transport against quillon-unitsim. scripts/test-windows links COM5 of a fresh Wine
// prefix to the simulator's terminal, and starts a simulator that hangs up at the first command
// for the SimulatorEnded test, which it runs on its own.
#include "platform/serial_port_win32.h"

#include <chrono>
#include <gtest/gtest.h>
#include <regex>
#include <string>
#include <thread>
#include <windows.h>

namespace {

using platform::ReadStatus;

constexpr int kSimulatorPort = 5;
constexpr int kMissingPort = 42;

// Wine's ntdll has this export; Windows' has not.
bool underWine() {
    const HMODULE ntdll = ::GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

class Win32SerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::OpenResult opened = platform::openWin32SerialPort(kSimulatorPort);
        ASSERT_NE(opened.port, nullptr) << "COM5 not opened, error " << opened.errorCode;
        port_ = std::move(opened.port);
    }
    // Sends a line byte by byte, each one waiting for its echo, as the console link does.
    void sendLine(const std::string& text) {
        for (const char c : text + "\n") {
            ASSERT_TRUE(port_->writeByte(static_cast<std::uint8_t>(c)));
            const platform::ByteRead echo = port_->readByte();
            ASSERT_EQ(echo.status, ReadStatus::Byte) << "echo of " << c;
            ASSERT_EQ(echo.byte, static_cast<std::uint8_t>(c));
        }
    }
    // What arrives up to the prompt's '>', or up to the first read that gives no byte.
    std::string readReply() {
        std::string reply;
        for (platform::ByteRead read = port_->readByte(); read.status == ReadStatus::Byte;
             read = port_->readByte()) {
            reply += static_cast<char>(read.byte);
            if (read.byte == '>')
                break;
        }
        return reply;
    }

    std::unique_ptr<platform::SerialPort> port_;
};

TEST_F(Win32SerialPortTest, EchoedCommandsGetTheirReplies) {
    const std::pair<const char*, const char*> exchanges[] = {
        {"rd 8c70", "\r\n8c70 : 02\r\nL>"},
        {"rd 8C91, 4", "\r\n8C91 : ([0-9a-f]{2} ){3}[0-9a-f]{2}\r\nL>"}};
    for (const auto& [command, reply] : exchanges) {
        sendLine(command);
        EXPECT_TRUE(std::regex_match(readReply(), std::regex(reply))) << command;
    }
}

TEST_F(Win32SerialPortTest, OpensWithTheConsoleTimeoutsAndTakesTheLongConstant) {
    const platform::CommTimeouts t = port_->timeouts();
    EXPECT_EQ(std::tie(t.readInterval, t.readTotalMultiplier, t.readTotalConstant,
                       t.writeTotalMultiplier, t.writeTotalConstant),
              std::make_tuple(0u, 10u, 4000u, 0u, 0u));
    ASSERT_TRUE(port_->setTimeouts({0, 10, 20000, 0, 0}));
    EXPECT_EQ(port_->timeouts().readTotalConstant, 20000u);
}

TEST_F(Win32SerialPortTest, ReadOfNothingTimesOutAfterTheMultiplierAndConstant) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port_->readByte().status, ReadStatus::Timeout);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_NEAR(static_cast<double>(ms), 4010.0, 401.0);
}

// The simulator sends a reply whole, but the pseudo-terminal and Wine may hand it on in pieces:
// the test lets the rest of it arrive before the purge.
TEST_F(Win32SerialPortTest, PurgeDropsTheReplyThatHasArrived) {
    sendLine("rd 8c70");
    ASSERT_EQ(port_->readByte().byte, '\r');
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    port_->purge();
    ASSERT_TRUE(port_->setTimeouts({0, 10, 200, 0, 0}));
    EXPECT_EQ(port_->readByte().status, ReadStatus::Timeout);
}

// The system's error codes, which the program prints when a port cannot be opened. Wine gives no
// COM port to one handle alone: there the second open is told, not checked.
TEST_F(Win32SerialPortTest, SecondOpenIsAccessDeniedAndAMissingPortIsNotFound) {
    EXPECT_EQ(platform::openWin32SerialPort(kMissingPort).errorCode, ERROR_FILE_NOT_FOUND);
    const platform::OpenResult second = platform::openWin32SerialPort(kSimulatorPort);
    if (second.port != nullptr && underWine())
        GTEST_SKIP() << "Wine opened COM5 a second time";
    EXPECT_EQ(second.errorCode, ERROR_ACCESS_DENIED);
}

// Wine's serial port notices no hang-up of the terminal behind it: its read times out.
TEST_F(Win32SerialPortTest, SimulatorEndedWhileOpenIsAFailureNotATimeout) {
    ASSERT_TRUE(port_->writeByte('\n')); // the simulator hangs up when it arrives
    platform::ByteRead read = port_->readByte();
    while (read.status == ReadStatus::Byte)
        read = port_->readByte();
    if (read.status == ReadStatus::Timeout && underWine())
        GTEST_SKIP() << "Wine reported the hang-up as a time-out";
    EXPECT_EQ(read.status, ReadStatus::Failure);
}

} // namespace
