#include "platform/port_list.h"

#include "platform/seams.h"

#include <QSerialPortInfo>
#include <filesystem>
#include <system_error>

namespace platform {

namespace {

SystemPort fromInfo(const QSerialPortInfo& info) {
    const QString description =
        info.description().isEmpty() ? info.manufacturer() : info.description();
    return {info.portName().toStdString(), info.systemLocation().toStdString(),
            description.trimmed().toStdString()};
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
