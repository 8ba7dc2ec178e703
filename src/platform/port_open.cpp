#include "platform/port_open.h"

#include "platform/seams.h"

#ifdef _WIN32
#include "platform/serial_port_win32.h"
#else
#include "platform/serial_port_posix.h"
#endif

#include <cstdlib>

namespace platform {

std::string portDeviceName(int portNumber) {
    const std::map<int, std::string>& devices = seams().portDevices;
    if (const auto it = devices.find(portNumber); it != devices.end())
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
    if (const PortOpener& opener = seams().portOpener)
        return opener(portNumber);
#ifdef _WIN32
    return openWin32SerialPort(portNumber);
#else
    return openPosixSerialPort(portDeviceName(portNumber));
#endif
}

void setPortDevices(std::map<int, std::string> devices) {
    seams().portDevices = std::move(devices);
}

void setPortOpener(PortOpener opener) {
    seams().portOpener = std::move(opener);
}

} // namespace platform
