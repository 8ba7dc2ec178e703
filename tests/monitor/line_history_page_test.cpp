// The VDSL Status page's line history: what each poll records, the window that plots it and its
// CSV export. None of it may send anything to the unit or touch the poll timer.
#include "link/decoding.h"
#include "monitor/line_history_csv.h"
#include "monitor/line_history_window.h"
#include "platform/local_time.h"
#include "status_sheet.h"
#include "support/counting_port.h"
#include "support/work_folder.h"

#include <QPushButton>
#include <QXYSeries>

namespace monitortest {
namespace {

using monitor::LineSample;
using monitor::LineSide;

class LineHistoryPage : public StatusSheet {
protected:
    void SetUp() override {
        StatusSheet::SetUp();
        auto counting = std::make_unique<testsupport::CountingPort>(std::move(g_portHandle));
        bytes_ = counting.get();
        g_portHandle = std::move(counting);
        showTab(kVdslTab);
    }
    std::int64_t poll() { // four seconds later, one poll; the bytes it sent
        const std::int64_t before = bytes_->sent;
        wait(4000);
        vdsl_->onWindowTimer(64);
        return bytes_->sent - before;
    }
    const monitor::LineHistory& history() const { return vdsl_->lineHistory(); }
    LineHistoryWindow* window() const {
        const auto windows = vdsl_->findChildren<LineHistoryWindow*>();
        return windows.size() == 1 ? windows.front() : nullptr;
    }
    // The sample as the page would show it.
    static Lines recorded(const LineSample& s) {
        Lines all = {formatDb(s.snrDb()), formatDb(s.mseDb()),
                     std::to_string(s.correctedErrors.value()), formatDb(s.transmitPowerDbmHz()),
                     std::to_string(s.linkFailCount.value())};
        for (unsigned bit : {0x80u, 0x40u, 0x20u, 0x08u, 0x04u, 0x02u})
            all.push_back((s.linkStateBits.value() & bit) != 0 ? "x" : ".");
        for (unsigned bit : {0x80u, 0x04u, 0x02u, 0x01u})
            all.push_back((s.receiverBits.value() & bit) != 0 ? "x" : ".");
        return all;
    }

    testsupport::CountingPort* bytes_ = nullptr;
};

TEST_F(LineHistoryPage, EachPollRecordsWhatThePageShowsOfEitherSide) {
    ASSERT_EQ(history().size(), 1u); // the poll when the page was shown
    fix(Side::P, 0x8c91, 7);
    fix(Side::S, 0x8c91, 9);
    fix(Side::S, 0x8c71, 0xA5);
    fix(Side::S, 0x8c98, 0x85);
    for (const LineSide side : {LineSide::Remote, LineSide::Local, LineSide::Remote}) {
        click(*vdsl_, side == LineSide::Remote ? kRemote : kLocal);
        const std::int64_t began = clock_.wallTimeMs() + 4000;
        poll();
        const LineSample& last = history().samples().back();
        EXPECT_EQ(last.wallTimeMs, began);
        EXPECT_EQ(last.side, side);
        EXPECT_EQ(last.sSideUnit(), side == LineSide::Remote);
        EXPECT_EQ(last.linkUp(), true);
        EXPECT_EQ(recorded(last), vdslShown());
    }
    EXPECT_EQ(history().sideChanges(), (std::vector<std::size_t>{1, 2, 3}));
}

TEST_F(LineHistoryPage, TheWindowOpensModelessFollowsThePollsAndSendsNothing) {
    const std::int64_t perPoll = poll();
    const Lines timerEvents = events_;
    const auto sendsNothing = [this](const std::function<void()>& action) {
        const std::int64_t before = bytes_->sent;
        action();
        EXPECT_EQ(bytes_->sent, before);
    };
    sendsNothing([this] { click(*vdsl_, res::ids::vdsl_status::kHistory); });
    LineHistoryWindow* shown = window();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible() && shown->isWindow() && !shown->isModal());
    EXPECT_EQ(poll(), perPoll);
    click(*vdsl_, kRemote);
    poll();
    pair_->dropLink(-1); // the page falls back at once, marked as a drop
    poll();
    pair_->restoreLine();
    wait(4000);
    // Closed, it stops following; a second click raises the one window, caught up.
    sendsNothing([&] { shown->close(); });
    poll();
    EXPECT_EQ(shown->series("SNR (dB)")->count(), 5);
    sendsNothing([this] { click(*vdsl_, res::ids::vdsl_status::kHistory); });
    EXPECT_EQ(window(), shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(events_, timerEvents);
    const auto& samples = history().samples();
    for (const char* name : {"SNR (dB)", "MSE (dB)", "Corrected RS errors /s", "Link Fail Counter"})
        EXPECT_EQ(shown->series(name)->count(), static_cast<int>(samples.size())) << name;
    for (std::size_t i = 0; i < samples.size(); ++i)
        EXPECT_EQ(shown->series("MSE (dB)")->at(static_cast<int>(i)),
                  QPointF(static_cast<double>(samples[i].wallTimeMs), *samples[i].mseDb()));
    EXPECT_EQ(history().linkDrops(), (std::vector<std::size_t>{4}));
    EXPECT_EQ(shown->series("Link drop")->at(0).x(), samples[4].wallTimeMs);
    EXPECT_EQ(shown->series("Side change")->count(), 2); // at the click and at the drop
}

TEST_F(LineHistoryPage, ExportWritesTheAnsweredFileAndReportsAFailedWrite) {
    poll();
    click(*vdsl_, res::ids::vdsl_status::kHistory);
    const auto buttons = window()->findChildren<QPushButton*>();
    const auto exportButton = std::find_if(buttons.begin(), buttons.end(), [](auto* button) {
        return button->text() == "Export CSV...";
    });
    ASSERT_NE(exportButton, buttons.end());
    const testsupport::WorkFolder folder;
    const std::string good = folder.file("line.csv");
    const std::string bad = folder.file("no such folder/line.csv");
    const auto localIso = [](std::int64_t ms) {
        return monitor::isoTimeAtOffset(ms, platform::localUtcOffsetMinutes(ms));
    };
    for (const std::optional<std::string>& answer :
         {std::optional(good), std::optional<std::string>(), std::optional(bad)}) {
        saveAnswer_ = answer;
        std::filesystem::remove(good);
        (*exportButton)->click();
        EXPECT_EQ(testsupport::readFile(good),
                  answer == good ? monitor::lineHistoryCsv(history(), localIso) : "");
        EXPECT_EQ(takeBoxTexts(),
                  answer == bad ? Lines{"The history could not be saved to\n" + bad} : Lines{});
    }
    ASSERT_EQ(saveQuestions_.size(), 3u);
    EXPECT_EQ(saveQuestions_[0].suggestedName.substr(0, 23), "line_history_2026-03-01");
}

} // namespace
} // namespace monitortest
