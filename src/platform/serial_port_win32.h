#pragma once

#include "platform/serial_port.h"

namespace platform {

// Opens COMn with the Windows communication API, exclusive, 9600 8N1, with the default
// time-outs, as the console needs it.
OpenResult openWin32SerialPort(int portNumber);

} // namespace platform
