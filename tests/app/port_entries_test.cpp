// The port list's entries from what the system reports, on both kinds of system.
#include "app/port_entries.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using platform::PortNaming;
using platform::SystemPort;
using Lines = std::vector<std::string>;

// "text number device | detail" per entry, in list order.
Lines shown(const std::vector<PortEntry>& entries) {
    Lines lines;
    for (const PortEntry& entry : entries)
        lines.push_back(entry.text + " " + std::to_string(entry.number) + " " + entry.device +
                        " | " + entry.detail);
    return lines;
}

struct Case {
    const char* name;
    PortNaming naming;
    std::vector<SystemPort> reported;
    std::array<std::string, 2> comDevices;
    Lines expected;
};

const std::array<std::string, 2> kLinuxDefaults = {"/dev/ttyS0", "/dev/ttyS1"};
const std::array<std::string, 2> kWindowsDevices = {"\\\\.\\COM1", "\\\\.\\COM2"};

const Case kCases[] = {
    {"LinuxAdaptersNumberedFromThreeInListOrder",
     PortNaming::DeviceFile,
     {{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART"},
      {"ttyS0", "/dev/ttyS0", "16550A"},
      {"ttyACM0", "/dev/ttyACM0", ""}},
     kLinuxDefaults,
     {"COM1 1 /dev/ttyS0 | /dev/ttyS0 - 16550A", "COM2 2 /dev/ttyS1 | /dev/ttyS1",
      "ttyACM0 3 /dev/ttyACM0 | /dev/ttyACM0",
      "ttyUSB0 4 /dev/ttyUSB0 | /dev/ttyUSB0 - FT232R USB UART"}},
    {"LinuxComOnePointedAtTheAdapterListsItOnce",
     PortNaming::DeviceFile,
     {{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART"}, {"ttyS1", "/dev/ttyS1", ""}},
     {"/dev/ttyUSB0", "/dev/ttyS1"},
     {"COM1 1 /dev/ttyUSB0 | /dev/ttyUSB0 - FT232R USB UART", "COM2 2 /dev/ttyS1 | /dev/ttyS1"}},
    // Each device once, with the first description given; a port without a name takes its
    // device's file name, one without a device cannot be opened.
    {"LinuxDuplicatesNamelessAndDeviceless",
     PortNaming::DeviceFile,
     {{"ttyUSB0", "/dev/ttyUSB0", ""},
      {"ttyUSB0", "/dev/ttyUSB0", "CP2102"},
      {"ttyUSB0", "/dev/ttyUSB0", "other"},
      {"", "/dev/rfcomm0", "Bluetooth"},
      {"ttyX", "", "no device"}},
     kLinuxDefaults,
     {"COM1 1 /dev/ttyS0 | /dev/ttyS0", "COM2 2 /dev/ttyS1 | /dev/ttyS1",
      "rfcomm0 3 /dev/rfcomm0 | /dev/rfcomm0 - Bluetooth",
      "ttyUSB0 4 /dev/ttyUSB0 | /dev/ttyUSB0 - CP2102"}},
    // The list sorts every text, case ignored: a name may come before COM1.
    {"LinuxSortedAsTheListSortsIgnoringCase",
     PortNaming::DeviceFile,
     {{"ttyusb1", "/dev/ttyusb1", ""}, {"acm0", "/dev/acm0", ""}, {"ttyUSB0", "/dev/ttyUSB0", ""}},
     kLinuxDefaults,
     {"acm0 3 /dev/acm0 | /dev/acm0", "COM1 1 /dev/ttyS0 | /dev/ttyS0",
      "COM2 2 /dev/ttyS1 | /dev/ttyS1", "ttyUSB0 4 /dev/ttyUSB0 | /dev/ttyUSB0",
      "ttyusb1 5 /dev/ttyusb1 | /dev/ttyusb1"}},
    // COMn keeps n; as text COM10 sorts between COM1 and COM2.
    {"WindowsComNumbersKeptAndSortedAsText",
     PortNaming::WindowsCom,
     {{"COM3", "\\\\.\\COM3", "USB Serial Port"},
      {"COM1", "\\\\.\\COM1", "Communications Port"},
      {"COM10", "\\\\.\\COM10", ""},
      {"com4", "\\\\.\\COM4", "Bluetooth link"},
      {"COM3", "\\\\.\\COM3", "again"}},
     kWindowsDevices,
     {"COM1 1 \\\\.\\COM1 | Communications Port", "COM10 10 \\\\.\\COM10 | ",
      "COM2 2 \\\\.\\COM2 | ", "COM3 3 \\\\.\\COM3 | USB Serial Port",
      "COM4 4 \\\\.\\COM4 | Bluetooth link"}},
    {"WindowsNamesThatAreNoComNumberDropped",
     PortNaming::WindowsCom,
     {{"COM03", "", ""},
      {"COM0", "", ""},
      {"COM", "", ""},
      {"CNCA0", "", ""},
      {"COM12345", "", ""},
      {"COMx1", "", ""}},
     kWindowsDevices,
     {"COM1 1 \\\\.\\COM1 | ", "COM2 2 \\\\.\\COM2 | "}},
};

class PortEntriesTest : public ::testing::TestWithParam<Case> {};

TEST_P(PortEntriesTest, EntriesAsTheListShowsThem) {
    const Case& c = GetParam();
    EXPECT_EQ(shown(portEntries(c.reported, c.comDevices, c.naming)), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Systems, PortEntriesTest, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

// Forty adapters reported in reverse order: each once, numbers 3 to 42 without a gap, following
// the list's order.
TEST(PortEntriesMany, NumbersAreUniqueAndFollowTheListOrder) {
    std::vector<SystemPort> reported;
    for (int i = 39; i >= 0; --i)
        reported.push_back({"ttyUSB" + std::to_string(i), "/dev/ttyUSB" + std::to_string(i), ""});
    const std::vector<PortEntry> entries =
        portEntries(reported, kLinuxDefaults, PortNaming::DeviceFile);
    ASSERT_EQ(entries.size(), 42u);
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return sortsBefore(a.text, b.text);
    }));
    for (std::size_t i = 2; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].number, static_cast<int>(i + 1)) << entries[i].text;
    EXPECT_EQ(entries[3].text, "ttyUSB1");
    EXPECT_EQ(entries[4].text, "ttyUSB10");
}

} // namespace
