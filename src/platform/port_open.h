#pragma once

#include "platform/serial_port.h"

#include <functional>
#include <string>

namespace platform {

// The device behind COM port n: outside Windows the environment variable QUILLON_COM<n> when it
// is set, else /dev/ttyS<n-1>; on Windows \\.\COM<n>.
std::string portDeviceName(int portNumber);

// Opens and configures COM port n (exclusive, 9600 8N1, no flow control, time-outs 0/10/4000/0/0,
// purged) with the machine's transport, or the replacement a test installed.
OpenResult openSerialPort(int portNumber);

using PortOpener = std::function<OpenResult(int portNumber)>;
// An empty function restores the machine's transport.
void setPortOpener(PortOpener opener);

} // namespace platform
