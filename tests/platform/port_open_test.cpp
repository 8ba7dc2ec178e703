#include "platform/port_open.h"

#include <cerrno>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

namespace {

// The environment changed here is this test process's own.
void setVariable(const std::string& name, const char* value) {
    if (value != nullptr)
        ::setenv(name.c_str(), value, 1);
    else
        ::unsetenv(name.c_str());
}

TEST(PortDeviceName, EnvironmentNamesTheDeviceUnlessEmpty) {
    const std::tuple<int, const char*, const char*> cases[] = {{1, nullptr, "/dev/ttyS0"},
                                                               {2, nullptr, "/dev/ttyS1"},
                                                               {1, "/dev/ttyUSB0", "/dev/ttyUSB0"},
                                                               {2, "", "/dev/ttyS1"}};
    for (const auto& [number, value, device] : cases) {
        setVariable("QUILLON_COM" + std::to_string(number), value);
        EXPECT_EQ(platform::portDeviceName(number), device) << number;
    }
    setVariable("QUILLON_COM2", "/"); // and the port opened is that device
    EXPECT_EQ(platform::openSerialPort(2).errorCode, EISDIR);
}

} // namespace
