#include "app/port_dialog.h"
#include "app/port_entries.h"
#include "link/console_state.h"
#include "platform/port_list.h"
#include "platform/port_open.h"
#include "res/control_ids.h"
#include "support/platform_fixture.h"
#include "support/work_folder.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using platform::PortNaming;
using platform::SystemPort;
using Lines = std::vector<std::string>;

struct Case {
    const char* name;
    PortNaming naming;
    std::vector<SystemPort> reported;
    std::array<std::string, 2> comDevices;
    Lines expected; // "text number device | detail" in list order
};

const std::array<std::string, 2> kLinux = {"/dev/ttyS0", "/dev/ttyS1"};
const std::array<std::string, 2> kWindows = {"\\\\.\\COM1", "\\\\.\\COM2"};

// clang-format off
const Case kCases[] = {
    // Sorted as the list sorts, case ignored (a name may come before COM1); adapters numbered
    // from 3 in that order; a reported COM device only lends COM1 its description. An adapter's
    // latency timer is told when it is above 1 ms.
    {"LinuxSortedAndNumberedFromThree", PortNaming::DeviceFile,
     {{"ttyusb1", "/dev/ttyusb1", "", 2}, {"acm0", "/dev/acm0", "", 1},
      {"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART", 16}, {"ttyS0", "/dev/ttyS0", "16550A"}},
     kLinux,
     {"acm0 3 /dev/acm0 | /dev/acm0", "COM1 1 /dev/ttyS0 | /dev/ttyS0 - 16550A",
      "COM2 2 /dev/ttyS1 | /dev/ttyS1",
      "ttyUSB0 4 /dev/ttyUSB0 | /dev/ttyUSB0 - FT232R USB UART, latency timer 16 ms",
      "ttyusb1 5 /dev/ttyusb1 | /dev/ttyusb1 - latency timer 2 ms"}},
    // Each device once, with the first description given; a port without a name takes its
    // device's file name, one without a device cannot be opened.
    {"LinuxDuplicatesNamelessAndDeviceless", PortNaming::DeviceFile,
     {{"ttyUSB0", "/dev/ttyUSB0", ""}, {"ttyUSB0", "/dev/ttyUSB0", "CP2102"},
      {"ttyUSB0", "/dev/ttyUSB0", "other"}, {"", "/dev/rfcomm0", "Bluetooth"},
      {"ttyX", "", "no device"}},
     kLinux,
     {"COM1 1 /dev/ttyS0 | /dev/ttyS0", "COM2 2 /dev/ttyS1 | /dev/ttyS1",
      "rfcomm0 3 /dev/rfcomm0 | /dev/rfcomm0 - Bluetooth",
      "ttyUSB0 4 /dev/ttyUSB0 | /dev/ttyUSB0 - CP2102"}},
    // COMn keeps n; as text COM10 sorts between COM1 and COM2. Other names are dropped.
    {"WindowsComNumbersKeptAndSortedAsText", PortNaming::WindowsCom,
     {{"COM3", "\\\\.\\COM3", "USB Serial Port"}, {"COM1", "\\\\.\\COM1", "Communications Port"},
      {"COM10", "\\\\.\\COM10", ""}, {"com4", "\\\\.\\COM4", "Bluetooth link"},
      {"COM3", "\\\\.\\COM3", "again"}, {"COM03", "", ""}, {"COM0", "", ""}, {"COM", "", ""},
      {"CNCA0", "", ""}, {"COM12345", "", ""}, {"COMx1", "", ""}},
     kWindows,
     {"COM1 1 \\\\.\\COM1 | Communications Port", "COM10 10 \\\\.\\COM10 | ",
      "COM2 2 \\\\.\\COM2 | ", "COM3 3 \\\\.\\COM3 | USB Serial Port",
      "COM4 4 \\\\.\\COM4 | Bluetooth link"}},
};
// clang-format on

class PortEntriesTest : public ::testing::TestWithParam<Case> {};

TEST_P(PortEntriesTest, EntriesAsTheListShowsThem) {
    const Case& c = GetParam();
    Lines shown;
    for (const PortEntry& entry : portEntries(c.reported, c.comDevices, c.naming))
        shown.push_back(entry.text + " " + std::to_string(entry.number) + " " + entry.device +
                        " | " + entry.detail);
    EXPECT_EQ(shown, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Systems, PortEntriesTest, ::testing::ValuesIn(kCases),
                         [](const auto& test) { return std::string(test.param.name); });

class PortDialogTest : public testsupport::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        ::unsetenv("QUILLON_COM1");
        ::unsetenv("QUILLON_COM2");
    }
    void TearDown() override {
        ::unsetenv("QUILLON_COM1");
        PlatformFixture::TearDown();
    }
    // Shows the dialog over the given system ports; its list's texts.
    QStringList open(std::vector<platform::SystemPort> ports) {
        platform::setPortLister([ports] { return ports; });
        dialog.show();
        QStringList texts;
        for (int i = 0; i < list().count(); ++i)
            texts << list().itemText(i);
        return texts;
    }
    QComboBox& list() { return *dialog.control<QComboBox>(res::ids::port::kList); }
    QLabel& detail() { return *dialog.control<QLabel>(res::ids::port::kDetail); }

    CPortDlg dialog;
};

TEST_F(PortDialogTest, ChoosingAnAdapterSetsThePortNumberThatOpensItsDevice) {
    open({{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART"}, {"ttyACM0", "/dev/ttyACM0", ""}});
    EXPECT_EQ(detail().text(), "/dev/ttyS0");
    EXPECT_EQ(g_portNumber, 1);
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_EQ(g_portNumber, 4);
    EXPECT_EQ(detail().text(), "/dev/ttyUSB0 - FT232R USB UART");
    EXPECT_EQ(platform::portDeviceName(4), "/dev/ttyUSB0");
    EXPECT_EQ(platform::portDeviceName(3), "/dev/ttyACM0");
    EXPECT_EQ(platform::portDeviceName(2), "/dev/ttyS1");
}

// COM1 named through a link (as /dev/serial/by-id/ names adapters) is the port the system reports
// under the link's target: one entry, with that port's description.
TEST_F(PortDialogTest, ComOneThroughALinkIsNotListedTwice) {
    const testsupport::WorkFolder folder;
    std::ofstream(folder.path() / "ttyUSB0").put('\0');
    std::filesystem::create_symlink(folder.path() / "ttyUSB0", folder.path() / "by-id");
    ::setenv("QUILLON_COM1", folder.file("by-id").c_str(), 1);
    const std::string device = std::filesystem::canonical(folder.path() / "ttyUSB0").string();
    EXPECT_EQ(open({{"ttyUSB0", device, "CP2102 USB to UART"}}), QStringList({"COM1", "COM2"}));
    EXPECT_EQ(list().itemData(0, Qt::ToolTipRole).toString().toStdString(),
              device + " - CP2102 USB to UART");
}

// COM1 is selected first wherever the sorted list puts it. A description too long for the line
// ends in an ellipsis and is whole in the tool tip; the line stays inside the dialog.
TEST_F(PortDialogTest, ComOneSelectedFirstAndALongDescriptionShortened) {
    const std::string description(120, 'x');
    EXPECT_EQ(open({{"acm0", "/dev/acm0", ""}, {"ttyS0", "/dev/ttyS0", description}}).first(),
              "acm0");
    EXPECT_EQ(list().currentText(), "COM1");
    EXPECT_TRUE(detail().text().startsWith("/dev/ttyS0 - xxx"));
    EXPECT_LE(detail().fontMetrics().horizontalAdvance(detail().text()), detail().width());
    EXPECT_EQ(detail().toolTip().toStdString(), "/dev/ttyS0 - " + description);
    EXPECT_TRUE(dialog.rect().contains(detail().geometry()));
}

} // namespace
