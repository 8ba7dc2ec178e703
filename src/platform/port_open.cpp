#include "platform/port_open.h"

#ifdef _WIN32
#include "platform/serial_port_win32.h"
#else
#include "platform/serial_port_posix.h"
#endif

#include <cstdlib>

namespace platform {

namespace {
PortOpener g_opener;
std::map<int, std::string> g_devices;
} // namespace

std::string portDeviceName(int portNumber) {
    if (const auto it = g_devices.find(portNumber); it != g_devices.end())
        return it->second;
#ifdef _WIN32
    return "\\\\.\\COM" + std::to_string(portNumber);
#else
    const std::string variable = "QUILLON_COM" + std::to_string(portNumber);
    if (const char* value = std::getenv(variable.c_str()); value != nullptr && *value != '\0')
        return value;
    return "/dev/ttyS" + std::to_string(portNumber - 1);
#endif
}

OpenResult openSerialPort(int portNumber) {
    if (g_opener)
        return g_opener(portNumber);
#ifdef _WIN32
    return openWin32SerialPort(portNumber);
#else
    return openPosixSerialPort(portDeviceName(portNumber));
#endif
}

void setPortDevices(std::map<int, std::string> devices) {
    g_devices = std::move(devices);
}

void setPortOpener(PortOpener opener) {
    g_opener = std::move(opener);
}

} // namespace platform
