// What the two status pages share: one poll timer between them, the failure to start it, the
// fatal-error path of a poll and the refusal of an S-side unit.
#include "link/console_state.h"
#include "res/control_ids.h"
#include "status_sheet.h"

#include <gtest/gtest.h>

namespace monitortest {
namespace {

using StatusPages = StatusSheet;
using Alive = std::set<std::pair<platform::WindowHandle, unsigned>>;
using testsupport::exitStatusOf;

TEST_F(StatusPages, SwitchingPagesKeepsExactlyOnePollTimerAlive) {
    const Alive vdsl{{vdsl_, 64}}, enet{{enet_, 64}};
    for (const auto& [tab, alive] : {std::pair{kVdslTab, vdsl}, std::pair{kEnetTab, enet},
                                     std::pair{kBlankTab, Alive{}}, std::pair{kEnetTab, enet}}) {
        showTab(tab);
        EXPECT_EQ(timers_, alive) << tab;
    }
    sheet_->hide(); // the sheet's pages are hidden with it
    EXPECT_TRUE(timers_.empty());
    auto alone = std::make_unique<CStatus>(); // destroyed while shown
    alone->show();
    EXPECT_EQ(timers_.size(), 1u);
    alone.reset();
    EXPECT_TRUE(timers_.empty());
}

TEST_F(StatusPages, AFailedTimerStartIsReportedAndNothingIsKilledLater) {
    failTimers_ = true;
    showTab(kVdslTab);
    EXPECT_NE(text(*vdsl_, res::ids::vdsl_status::kSnr), ""); // the one refresh is shown
    EXPECT_EQ(takeBoxes().at(0).owner, vdsl_);
    showTab(kEnetTab);
    // The Ethernet page's button and flag turn at each press all the same.
    for (const char* expected : {"Stop", "Start", "Stop"}) {
        EXPECT_EQ(enet_->control<QAbstractButton>(res::ids::ethernet_status::kStartStop)->text(), expected);
        EXPECT_EQ(enet_->running, expected == std::string("Stop") ? 1 : 0);
        click(*enet_, res::ids::ethernet_status::kStartStop);
    }
    sheet_.reset();
    const std::string box = "box " + platform::applicationName() + ": Failed to create Timer";
    const std::string set = "set enet 64 4000";
    EXPECT_EQ(events_, (Lines{"set vdsl 64 4000", box, set, box, set, box}));
    EXPECT_EQ(takeBoxes().size(), 2u);
    EXPECT_EQ(g_pollTimerId, 0u);
}

class EitherPage : public StatusSheet, public ::testing::WithParamInterface<bool> {
protected:
    bool vdsl() const { return GetParam(); }
    platform::DialogPage* page() {
        return vdsl() ? vdsl_ : static_cast<platform::DialogPage*>(enet_);
    }
};

TEST_P(EitherPage, AFatalErrorDuringAPollKillsThePagesTimerBeforeTheBox) {
    showTab(vdsl() ? kVdslTab : kEnetTab);
    events_.clear();
    pair_->faults().silent = true;
    EXPECT_EQ(exitStatusOf(
                  [&] { dynamic_cast<platform::WindowTimerTarget*>(page())->onWindowTimer(64); }),
              1);
    EXPECT_EQ(events_, (Lines{vdsl() ? "kill vdsl 64" : "kill enet 64",
                              "box Fatal Error: Communication error:\nthe program will be "
                              "closed\nVerify serial connection and restart the program"}));
    EXPECT_EQ(takeBoxes().at(0).owner, sheet_.get());
    EXPECT_EQ(g_portHandle, nullptr);
}

// An S-side unit on the cable when the VDSL page is shown, or when Start/Stop is pressed on the
// polling Ethernet page. The handlers are called directly: the process end unwinds to the test,
// which must not cross the window system's machinery.
TEST_P(EitherPage, AnSSideUnitOnTheCableEndsTheProcessWithoutTheFatalBox) {
    if (!vdsl())
        showTab(kEnetTab);
    pair_->setAttached(Side::S);
    events_.clear();
    clearCommands();
    EXPECT_EQ(exitStatusOf([&] { vdsl() ? vdsl_->onShown() : enet_->onStartStop(); }), 1);
    const std::string refusal =
        "box " + platform::applicationName() + ": P side must be connected to start this procedure";
    EXPECT_EQ(events_, (vdsl() ? Lines{refusal} : Lines{"kill enet 64", refusal}));
    EXPECT_EQ(takeBoxes().at(0).owner, page());
    EXPECT_EQ(commands(), (Lines{"", "rd 8c70"}));
    EXPECT_EQ(g_portHandle, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Pages, EitherPage, ::testing::Bool(),
                         [](const auto& vdsl) { return vdsl.param ? "Vdsl" : "Ethernet"; });

} // namespace
} // namespace monitortest
