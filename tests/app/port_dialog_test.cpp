// The port dialog's list with the system's ports injected: entries, the choice of an extra port
// and the line that tells the selected port's device and description.
#include "app/port_dialog.h"
#include "link/console_state.h"
#include "platform/port_list.h"
#include "platform/port_open.h"
#include "support/platform_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

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
    void report(std::vector<platform::SystemPort> ports) {
        platform::setPortLister([ports] { return ports; });
    }
    // Shows the dialog; its list as "text=number".
    Lines open() {
        dialog.show();
        Lines lines;
        for (int i = 0; i < list().count(); ++i)
            lines.push_back(list().itemText(i).toStdString() + "=" +
                            std::to_string(list().itemData(i).toInt()));
        return lines;
    }
    QComboBox& list() { return *dialog.control<QComboBox>(1022); }
    QLabel& detail() { return *dialog.control<QLabel>(1023); }
    void choose(int index) {
        while (list().currentIndex() < index)
            QTest::keyClick(&list(), Qt::Key_Down);
    }

    CPortDlg dialog;
};

TEST_F(PortDialogTest, ChoosingAnAdapterSetsThePortNumberThatOpensItsDevice) {
    report({{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART"}, {"ttyACM0", "/dev/ttyACM0", ""}});
    EXPECT_EQ(open(), (Lines{"COM1=1", "COM2=2", "ttyACM0=3", "ttyUSB0=4"}));
    EXPECT_EQ(list().currentText(), "COM1");
    EXPECT_EQ(detail().text(), "/dev/ttyS0");
    EXPECT_EQ(g_portNumber, 1);
    choose(3);
    EXPECT_EQ(g_portNumber, 4);
    EXPECT_EQ(detail().text(), "/dev/ttyUSB0 - FT232R USB UART");
    EXPECT_TRUE(detail().toolTip().isEmpty());
    EXPECT_EQ(platform::portDeviceName(4), "/dev/ttyUSB0");
    EXPECT_EQ(platform::portDeviceName(3), "/dev/ttyACM0");
    EXPECT_EQ(platform::portDeviceName(2), "/dev/ttyS1");
}

// COM1 named through a link (as /dev/serial/by-id/ names adapters) is the port the system reports
// under the link's target: one entry, with that port's description.
TEST_F(PortDialogTest, ComOneThroughALinkIsNotListedTwice) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("quillon-ports-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "ttyUSB0").put('\0');
    std::filesystem::create_symlink(folder / "ttyUSB0", folder / "by-id");
    ::setenv("QUILLON_COM1", (folder / "by-id").c_str(), 1);
    const std::string device = std::filesystem::canonical(folder / "ttyUSB0").string();
    report({{"ttyUSB0", device, "CP2102 USB to UART"}});
    EXPECT_EQ(open(), (Lines{"COM1=1", "COM2=2"}));
    EXPECT_EQ(list().itemData(0, Qt::ToolTipRole).toString().toStdString(),
              device + " - CP2102 USB to UART");
    std::filesystem::remove_all(folder);
}

// COM1 is selected first wherever the sorted list puts it. A description too long for the line
// ends in an ellipsis and is whole in the tool tip; the line stays inside the dialog.
TEST_F(PortDialogTest, ComOneSelectedFirstAndALongDescriptionShortened) {
    const std::string description(120, 'x');
    report({{"acm0", "/dev/acm0", ""}, {"ttyS0", "/dev/ttyS0", description}});
    EXPECT_EQ(open(), (Lines{"acm0=3", "COM1=1", "COM2=2"}));
    EXPECT_EQ(list().currentText(), "COM1");
    EXPECT_TRUE(detail().text().startsWith("/dev/ttyS0 - xxx"));
    EXPECT_LE(detail().fontMetrics().horizontalAdvance(detail().text()), detail().width());
    EXPECT_EQ(detail().toolTip().toStdString(), "/dev/ttyS0 - " + description);
    EXPECT_TRUE(dialog.rect().contains(detail().geometry()));
}

} // namespace
