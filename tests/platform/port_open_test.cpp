#include "platform/port_open.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <pty.h>
#include <string>
#include <unistd.h>

namespace {

// Sets or removes an environment variable for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(std::string name, const char* value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        if (value != nullptr)
            ::setenv(name_.c_str(), value, 1);
        else
            ::unsetenv(name_.c_str());
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_.c_str(), old_->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

struct NameCase {
    int portNumber;
    const char* variable; // value of QUILLON_COM<n>, or null when unset
    const char* device;
};

void PrintTo(const NameCase& c, std::ostream* os) {
    *os << "COM" << c.portNumber << " with " << (c.variable != nullptr ? c.variable : "(unset)");
}

class PortDeviceNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(PortDeviceNameTest, EnvironmentWinsOverTheSerialDevice) {
    const NameCase& c = GetParam();
    const ScopedEnv env("QUILLON_COM" + std::to_string(c.portNumber), c.variable);
    EXPECT_EQ(platform::portDeviceName(c.portNumber), c.device);
}

INSTANTIATE_TEST_SUITE_P(Ports, PortDeviceNameTest,
                         ::testing::Values(NameCase{1, nullptr, "/dev/ttyS0"},
                                           NameCase{2, nullptr, "/dev/ttyS1"},
                                           NameCase{1, "/dev/ttyUSB0", "/dev/ttyUSB0"},
                                           NameCase{2, "/tmp/unit", "/tmp/unit"},
                                           NameCase{2, "", "/dev/ttyS1"}));

TEST(OpenSerialPortTest, OpensTheDeviceTheEnvironmentNames) {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    ASSERT_EQ(::openpty(&master, &slave, name, nullptr, nullptr), 0);
    {
        const ScopedEnv env("QUILLON_COM2", name);
        const platform::OpenResult result = platform::openSerialPort(2);
        EXPECT_NE(result.port, nullptr);
        EXPECT_EQ(result.errorCode, 0);
    }
    ::close(slave);
    ::close(master);
}

} // namespace
