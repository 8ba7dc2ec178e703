#pragma once

#include <functional>
#include <string>
#include <vector>

namespace platform {

// One serial port as the system reports it.
struct SystemPort {
    std::string name;        // "COM5", "ttyUSB0"
    std::string device;      // what opens it: "\\.\COM5", "/dev/ttyUSB0"
    std::string description; // the driver's description, else the manufacturer; may be empty
    int latencyTimerMs = 0;  // a USB adapter's latency timer where the system shows it, else 0
};

// How the system names its serial ports: Windows numbers them COMn; elsewhere they are device
// files.
enum class PortNaming { WindowsCom, DeviceFile };
PortNaming systemPortNaming();

// The serial ports the system reports now, or what a test's lister gives. Listing only: the
// chosen port is opened by our own transport.
std::vector<SystemPort> listSystemPorts();

using PortLister = std::function<std::vector<SystemPort>()>;
// An empty function restores the system's list.
void setPortLister(PortLister lister);

// The latency timer of the USB serial adapter behind a device, in milliseconds, as the system
// shows it under sysRoot (bus/usb-serial/devices/<tty>/latency_timer); 0 where it shows none.
// The adapter holds the unit's bytes that long before the PC sees them, and every byte the
// console sends waits for its echo.
int usbLatencyTimerMs(const std::string& device, const std::string& sysRoot = "/sys");

// The device file a path stands for once links are followed (/dev/serial/by-id/... is a link to
// /dev/ttyUSB0), so one device is recognised under both names; the path itself when it cannot be
// resolved, and always on Windows.
std::string resolveDevicePath(const std::string& path);

} // namespace platform
