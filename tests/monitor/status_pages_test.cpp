// What the two status pages share: one poll timer between them, the fatal-error path of a poll
// and the refusal of an S-side unit.
#include "link/console_state.h"
#include "platform/message_box.h"
#include "status_sheet.h"

#include <gtest/gtest.h>
#include <memory>

namespace monitortest {
namespace {

using sim::Side;
using StatusPages = StatusSheet;

constexpr const char* kFatalBox = "box Fatal Error: Communication error:\nthe program will be "
                                  "closed\nVerify serial connection and restart the program";

TEST_F(StatusPages, SwitchingPagesKeepsExactlyOnePollTimerAlive) {
    using Alive = std::set<std::pair<platform::WindowHandle, unsigned>>;
    showTab(kVdslTab);
    EXPECT_EQ(timers_, (Alive{{vdsl_, 64}}));
    showTab(kEnetTab);
    EXPECT_EQ(timers_, (Alive{{enet_, 64}}));
    showTab(kVdslTab);
    EXPECT_EQ(timers_, (Alive{{vdsl_, 64}}));
    showTab(kBlankTab);
    EXPECT_TRUE(timers_.empty());
    showTab(kEnetTab);
    EXPECT_EQ(timers_, (Alive{{enet_, 64}}));
    closeSheet(); // the sheet's pages are hidden with it
    EXPECT_TRUE(timers_.empty());
    EXPECT_EQ(g_pollTimerId, 64u);
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(StatusPages, DestroyingAShownPageKillsItsTimer) {
    // On its own, so that no sheet shows another page when it goes.
    auto page = std::make_unique<CStatus>();
    page->show();
    ASSERT_EQ(timers_.size(), 1u);
    events_.clear();
    page.reset();
    EXPECT_TRUE(timers_.empty());
    EXPECT_EQ(events_, std::vector<std::string>{"kill other 64"});
}

struct PageCase {
    const char* name;
    int tab;
};

class EitherPage : public StatusSheet, public ::testing::WithParamInterface<PageCase> {
protected:
    platform::DialogPage* page() {
        return GetParam().tab == kVdslTab ? static_cast<platform::DialogPage*>(vdsl_) : enet_;
    }
    void tick() { dynamic_cast<platform::WindowTimerTarget*>(page())->onWindowTimer(64); }
    std::string name() const { return GetParam().tab == kVdslTab ? "vdsl" : "enet"; }
};

TEST_P(EitherPage, AFatalErrorDuringAPollKillsThePagesTimerBeforeTheBox) {
    showTab(GetParam().tab);
    events_.clear();
    pair_->faults().silent = true;
    EXPECT_EQ(exitStatusOf([&] { tick(); }), 1);
    EXPECT_EQ(events_, (std::vector<std::string>{"kill " + name() + " 64", kFatalBox}));
    EXPECT_EQ(boxes_.at(0).owner, sheet_.get());
    EXPECT_EQ(g_portHandle, nullptr);
    EXPECT_NE(trace_.find("\r\ncommunication timeout error\r\n"), std::string::npos);
}

TEST_P(EitherPage, MinimisingAndRestoringTheMainWindowLeavesThePollAsItIs) {
    showTab(GetParam().tab);
    events_.clear();
    clearCommands();
    sheet_->showMinimized();
    sheet_->showNormal();
    EXPECT_TRUE(events_.empty());
    EXPECT_TRUE(commands().empty());
}

// The show handler is called directly: the process end unwinds to the test, which must not
// cross the window system's show machinery.
TEST_P(EitherPage, AnSSideUnitOnTheCableEndsTheProcessWithoutTheFatalBox) {
    pair_->setAttached(Side::S);
    EXPECT_EQ(exitStatusOf([&] {
                  if (GetParam().tab == kVdslTab)
                      vdsl_->onShown();
                  else
                      enet_->onShown();
              }),
              1);
    EXPECT_EQ(events_, std::vector<std::string>{"box " + platform::applicationName() +
                                                ": P side must be connected to start this "
                                                "procedure"});
    EXPECT_EQ(boxes_.at(0).owner, page());
    EXPECT_EQ(commands(), (std::vector<std::string>{"", "rd 8c70"}));
    EXPECT_EQ(g_portHandle, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Pages, EitherPage,
                         ::testing::Values(PageCase{"Vdsl", StatusSheet::kVdslTab},
                                           PageCase{"Ethernet", StatusSheet::kEnetTab}),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(StatusPages, StartStopWithAnSSideUnitStopsThePollBeforeTheBox) {
    showTab(kEnetTab);
    pair_->setAttached(Side::S);
    events_.clear();
    EXPECT_EQ(exitStatusOf([&] { enet_->onStartStop(); }), 1);
    EXPECT_EQ(events_,
              (std::vector<std::string>{"kill enet 64",
                                        "box " + platform::applicationName() +
                                            ": P side must be connected to start this procedure"}));
    EXPECT_EQ(g_portHandle, nullptr);
}

} // namespace
} // namespace monitortest
