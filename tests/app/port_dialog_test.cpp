#include "app/port_dialog.h"
#include "app/port_entries.h"
#include "link/console_state.h"
#include "platform/port_list.h"
#include "platform/port_open.h"
#include "res/control_ids.h"
#include "support/data_rows.h"
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
    std::string name;
    PortNaming naming;
    std::array<std::string, 2> comDevices;
    std::vector<SystemPort> reported;
    Lines expected; // "text number device | detail" in list order
};

std::vector<Case> cases() {
    std::vector<Case> all;
    for (const testdata::Row& f : testdata::rows(QUILLON_APP_DATA "/port_entries.txt")) {
        if (f[0] == "case")
            all.push_back({f[1],
                           f[2] == "WindowsCom" ? PortNaming::WindowsCom : PortNaming::DeviceFile,
                           {f[3], f[4]},
                           {},
                           {}});
        else if (f[0] == "port")
            all.back().reported.push_back({f[1], f[2], f[3], f.size() > 4 ? std::stoi(f[4]) : 0});
        else
            all.back().expected.push_back(f[1] + " " + f[2] + " " + f[3] + " | " + f[4]);
    }
    return all;
}

class PortEntriesTest : public ::testing::TestWithParam<Case> {};

// See data/port_entries.txt.
TEST_P(PortEntriesTest, EntriesAsTheListShowsThem) {
    const Case& c = GetParam();
    Lines shown;
    for (const PortEntry& entry : portEntries(c.reported, c.comDevices, c.naming))
        shown.push_back(entry.text + " " + std::to_string(entry.number) + " " + entry.device +
                        " | " + entry.detail);
    EXPECT_EQ(shown, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Systems, PortEntriesTest, ::testing::ValuesIn(cases()),
                         [](const auto& test) { return test.param.name; });

class PortDialogTest : public testsupport::PlatformFixture {
protected:
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

// COM1 is selected first wherever the sorted list puts it, and choosing an adapter sets the port
// number that opens its device. A description too long for the line ends in an ellipsis and is
// whole in the tool tip; the line stays inside the dialog.
TEST_F(PortDialogTest, ComOneSelectedFirstAndAChosenAdapterSetsThePortNumberOfItsDevice) {
    const std::string description(120, 'x');
    EXPECT_EQ(open({{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART"},
                    {"acm0", "/dev/acm0", ""},
                    {"ttyS0", "/dev/ttyS0", description}}),
              QStringList({"acm0", "COM1", "COM2", "ttyUSB0"}));
    EXPECT_EQ(list().currentText(), "COM1");
    EXPECT_EQ(g_portNumber, 1);
    EXPECT_TRUE(detail().text().startsWith("/dev/ttyS0 - xxx"));
    EXPECT_LE(detail().fontMetrics().horizontalAdvance(detail().text()), detail().width());
    EXPECT_EQ(detail().toolTip().toStdString(), "/dev/ttyS0 - " + description);
    EXPECT_TRUE(dialog.rect().contains(detail().geometry()));
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(&list(), Qt::Key_Down);
    EXPECT_EQ(g_portNumber, 4);
    EXPECT_EQ(detail().text(), "/dev/ttyUSB0 - FT232R USB UART");
    EXPECT_EQ(platform::portDeviceName(4), "/dev/ttyUSB0");
    EXPECT_EQ(platform::portDeviceName(3), "/dev/acm0");
    EXPECT_EQ(platform::portDeviceName(2), "/dev/ttyS1");
}

} // namespace
