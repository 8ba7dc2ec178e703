#include "platform/port_list.h"

#include "platform/seams.h"

#include <QSerialPortInfo>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace platform {

namespace {

SystemPort fromInfo(const QSerialPortInfo& info) {
    const QString description =
        info.description().isEmpty() ? info.manufacturer() : info.description();
    const std::string device = info.systemLocation().toStdString();
    return {info.portName().toStdString(), device, description.trimmed().toStdString(),
            usbLatencyTimerMs(device)};
}

} // namespace

PortNaming systemPortNaming() {
#ifdef _WIN32
    return PortNaming::WindowsCom;
#else
    return PortNaming::DeviceFile;
#endif
}

std::vector<SystemPort> listSystemPorts() {
    if (const PortLister& lister = seams().portLister)
        return lister();
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back(fromInfo(info));
    return ports;
}

void setPortLister(PortLister lister) {
    seams().portLister = std::move(lister);
}

int usbLatencyTimerMs(const std::string& device, const std::string& sysRoot) {
    const std::string tty = std::filesystem::path(resolveDevicePath(device)).filename().string();
    if (tty.empty())
        return 0;
    std::ifstream file(std::filesystem::path(sysRoot) / "bus/usb-serial/devices" / tty /
                       "latency_timer");
    int ms = 0;
    return file >> ms && ms > 0 ? ms : 0;
}

std::string resolveDevicePath(const std::string& path) {
#ifdef _WIN32
    return path;
#else
    std::error_code error;
    const std::filesystem::path resolved = std::filesystem::canonical(path, error);
    return error ? path : resolved.string();
#endif
}

} // namespace platform
