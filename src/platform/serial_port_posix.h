#pragma once

#include "platform/serial_port.h"

#include <string>

namespace platform {

// Opens a serial device (or pseudo-terminal) the way the console needs it: exclusive, raw
// 9600 8N1, no flow control, purged, with the default time-outs.
OpenResult openPosixSerialPort(const std::string& device);

} // namespace platform
