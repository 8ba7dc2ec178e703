#pragma once

#include "platform/serial_port.h"

#include <functional>
#include <map>
#include <string>

namespace platform {

// The device behind COM port n: the device given to n by setPortDevices when there is one;
// else outside Windows the environment variable QUILLON_COM<n> when it is set, else
// /dev/ttyS<n-1>; on Windows \\.\COM<n>.
std::string portDeviceName(int portNumber);

// The devices that further port numbers stand for (the port dialog's extra ports), replacing
// the previous ones. An empty map leaves every number to the rule above.
void setPortDevices(std::map<int, std::string> devices);

// Opens and configures COM port n (exclusive, 9600 8N1, no flow control, time-outs 0/10/4000/0/0,
// purged) with the machine's transport, or the replacement a test installed.
OpenResult openSerialPort(int portNumber);

using PortOpener = std::function<OpenResult(int portNumber)>;
// An empty function restores the machine's transport.
void setPortOpener(PortOpener opener);

} // namespace platform
