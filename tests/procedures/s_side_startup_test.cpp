// Start-up with the simulated S unit on the cable: the program reaches the mode dialog, which
// shows the unit's mode, and ends with the port closed when the dialog is closed.

#include "app/port_dialog.h"
#include "app/process_objects.h"
#include "link/console_state.h"
#include "platform/modal_runner.h"
#include "platform/port_open.h"
#include "procedures/mode_dialog.h"
#include "procedures/procedure_test_support.h"
#include "sim/simulated_port.h"
#include "support/sim_fixture.h"

#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <optional>

namespace {

using proctest::PrintTo;
using sim::Side;
using Lines = std::vector<std::string>;

struct StartCase {
    const char* name;
    std::uint8_t unitMode;
    int expectedMode;
};

class SSideStartUpTest : public simtest::SimFixture,
                         public ::testing::WithParamInterface<StartCase> {
protected:
    void SetUp() override {
        SimFixture::SetUp();
        makePair({}, sim::PairOptions{.attached = Side::S, .sMode = GetParam().unitMode});
        platform::setPortOpener(sim::simulatedPortOpener(*pair_, clock_));
        platform::setModalRunner([this](QDialog& dialog) { return run(dialog); });
        objects_.emplace();
    }
    void TearDown() override {
        objects_.reset();
        platform::setModalRunner({});
        SimFixture::TearDown();
    }

    // The port dialog is left with Escape; the mode dialog is looked at, then closed.
    int run(QDialog& dialog) {
        dialog.show();
        if (auto* mode = dynamic_cast<CModeDlg*>(&dialog)) {
            modeDialogs_++;
            installChecked_ = mode->control<QRadioButton>(CModeDlg::kInstallId)->isChecked();
            normalChecked_ = mode->control<QRadioButton>(CModeDlg::kNormalId)->isChecked();
            modeField_ = mode->mode;
            wasMainWindow_ = theApp()->mainWndHandle == mode;
            QTest::mouseClick(mode->control<QPushButton>(2), Qt::LeftButton); // Close
        } else {
            QTest::keyClick(&dialog, Qt::Key_Escape);
        }
        return dialog.result();
    }

    std::optional<ProcessObjects> objects_;
    int modeDialogs_ = 0;
    bool installChecked_ = false;
    bool normalChecked_ = false;
    int modeField_ = -1;
    bool wasMainWindow_ = false;
};

TEST_P(SSideStartUpTest, ReachesTheModeDialogShowingTheUnitsMode) {
    EXPECT_TRUE(objects_->app.startUp());

    EXPECT_EQ(modeDialogs_, 1);
    const bool install = GetParam().expectedMode == 1;
    EXPECT_EQ(installChecked_, install);
    EXPECT_EQ(normalChecked_, !install);
    EXPECT_EQ(modeField_, GetParam().expectedMode);
    EXPECT_TRUE(wasMainWindow_);
    EXPECT_EQ(proctest::logLines(*pair_),
              (Lines{"S:", "S:rd 8c70", "S:rd c255", "S:rd 8d3b", "S:rd 8d3a"}));
    EXPECT_EQ(objects_->app.mainWndHandle, nullptr);
    EXPECT_EQ(g_portHandle, nullptr);
    EXPECT_TRUE(boxes_.empty());
}

INSTANTIATE_TEST_SUITE_P(UnitModes, SSideStartUpTest,
                         ::testing::Values(StartCase{"Install", 0x01, 1},
                                           StartCase{"Normal", 0x05, 0}),
                         [](const ::testing::TestParamInfo<StartCase>& row) {
                             return row.param.name;
                         });

} // namespace
