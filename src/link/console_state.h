#pragma once

#include "platform/serial_port.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>

// Process-wide console state, shared by every window and every link object.

// Number of the port to open: 1 (COM1), 2 (COM2) or a further port the system reported
// (platform::portDeviceName tells its device). Only the port dialog changes it.
extern int g_portNumber;
// The open port; null when no port is open.
extern std::unique_ptr<platform::SerialPort> g_portHandle;
// While 0, FatalError does nothing. Start-up clears it around its first SelectLocal only.
extern int g_fatalErrorsEnabled;
// What the last poll-timer start of a status page returned; FatalError kills this timer.
extern unsigned int g_pollTimerId;

// When each unit's corrected-error counter (8C91, cleared on read) was last read, by whichever
// link, in platform clock ms: [0] the local unit, [1] the remote one. Empty when not known.
extern std::array<std::optional<std::int64_t>, 2> g_counterReadMs;

// Puts the process-wide state back to its initial values (closing nothing). For tests.
void resetConsoleState();
