#pragma once

#include "platform/port_list.h"

#include <array>
#include <string>
#include <vector>

// One entry of the port dialog's list.
struct PortEntry {
    std::string text;   // what the list shows: "COM1", "COM5", "ttyUSB0"
    int number = 0;     // the entry's item data, which becomes g_portNumber
    std::string device; // the device that number opens
    std::string detail; // the device and the system's description, shown under the list
};

// The port list's entries, in the order the sorted list shows them: COM1 and COM2 always, each
// other port the system reports once. A reported port that is the device COM1 or COM2 already
// stands for (comDevices) is not added again; its description goes to that entry. Windows ports
// keep their own number (COMn is n); device files get the numbers from 3 up, in list order.
std::vector<PortEntry> portEntries(const std::vector<platform::SystemPort>& reported,
                                   const std::array<std::string, 2>& comDevices,
                                   platform::PortNaming naming);

// The sorted list's order: texts compared letter by letter, case ignored.
bool sortsBefore(const std::string& a, const std::string& b);
