// The VDSL Status page's line history: what each poll records, the window that plots it and its
// CSV export. None of it may send anything to the unit or touch the poll timer.
#include "link/decoding.h"
#include "monitor/line_history_csv.h"
#include "monitor/line_history_window.h"
#include "platform/local_time.h"
#include "status_sheet.h"
#include "support/counting_port.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QXYSeries>
#include <fstream>
#include <sstream>

namespace monitortest {
namespace {

using monitor::LineSample;
using monitor::LineSide;

constexpr int kHistoryButton = 1047;

std::string localIso(std::int64_t wallTimeMs) {
    return monitor::isoTimeAtOffset(wallTimeMs, platform::localUtcOffsetMinutes(wallTimeMs));
}

class LineHistoryPage : public StatusSheet {
protected:
    void SetUp() override {
        StatusSheet::SetUp();
        auto counting = std::make_unique<testsupport::CountingPort>(std::move(g_portHandle));
        bytes_ = counting.get();
        g_portHandle = std::move(counting);
        showTab(kVdslTab);
    }
    // Four seconds later, one poll; the bytes it sent.
    std::int64_t poll() {
        const std::int64_t before = bytes_->sent;
        wait(4000);
        vdsl_->onWindowTimer(64);
        return bytes_->sent - before;
    }
    const monitor::LineHistory& history() const { return vdsl_->lineHistory(); }
    const LineSample& last() const { return history().samples().back(); }
    LineHistoryWindow* window() const {
        const auto windows = vdsl_->findChildren<LineHistoryWindow*>();
        return windows.size() == 1 ? windows.front() : nullptr;
    }
    // The readouts and indicators (x or .) as the page shows them...
    Lines shown() const {
        Lines all;
        for (int id : {1009, 1010, 1011, 1026, 1027})
            all.push_back(text(*vdsl_, id).toStdString());
        for (int id : {1028, 1029, 1030, 1032, 1033, 1034, 1035, 1036, 1037, 1038})
            all.push_back(checked(*vdsl_, id) ? "x" : ".");
        return all;
    }
    // ...and as the sample gives them.
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
        EXPECT_EQ(last().wallTimeMs, began);
        EXPECT_EQ(last().side, side);
        EXPECT_EQ(last().sSideUnit(), side == LineSide::Remote);
        EXPECT_EQ(last().linkUp(), true);
        EXPECT_EQ(recorded(last()), shown());
    }
    EXPECT_EQ(history().size(), 4u);
    EXPECT_EQ(history().sideChanges(), (std::vector<std::size_t>{1, 2, 3}));
}

TEST_F(LineHistoryPage, AReadWithoutValueLeavesItsReadingEmptyAndTheRestRecorded) {
    using Check = std::function<bool(const LineSample&)>;
    const std::vector<std::tuple<const char*, int, Check>> cases = {
        {"8c70", 1, [](auto& s) { return !s.unitType && !s.snrDb() && !s.transmitPowerDbmHz(); }},
        {"8c40", 1, [](auto& s) { return !s.downstreamCode && !s.snrDb() && !s.mseDb(); }},
        {"8c41", 1, [](auto& s) { return !s.upstreamMbps() && !s.transmitPowerDbmHz(); }},
        {"8D38", 1, [](auto& s) { return !s.linkFailCount; }},
        {"8C98", 1, [](auto& s) { return !s.receiverBits; }},
        {"8C91", 1, [](auto& s) { return !s.correctedErrors; }},
        {"8C99", 1, [](auto& s) { return !s.noise && !s.snrDb() && !s.mseDb(); }},
        {"8C9C", 1, [](auto& s) { return !s.transmitLevel && !s.transmitPowerDbmHz(); }},
        {"8C67", 1, [](auto& s) { return !s.gainStep && !s.transmitPowerDbmHz(); }},
        // The link check and the indicators read the same register.
        {"8c71", 2, [](auto& s) { return !s.linkCheck && !s.linkStateBits; }},
    };
    for (const auto& [reg, missing, isEmpty] : cases) {
        pair_->faults().noValueRegister = reg;
        poll();
        pair_->faults().noValueRegister.clear();
        const LineSample& s = last();
        const int present =
            s.linkCheck.has_value() + s.unitType.has_value() + s.downstreamCode.has_value() +
            s.upstreamCode.has_value() + s.linkFailCount.has_value() + s.receiverBits.has_value() +
            s.correctedErrors.has_value() + s.noise.has_value() + s.transmitLevel.has_value() +
            s.gainStep.has_value() + s.linkStateBits.has_value();
        EXPECT_TRUE(isEmpty(s)) << reg;
        EXPECT_EQ(present, 11 - missing) << reg;
    }
}

TEST_F(LineHistoryPage, TheWindowOpensModelessFollowsThePollsAndSendsNothing) {
    const std::int64_t perPoll = poll();
    const Lines timerEvents = events_;
    std::int64_t sent = bytes_->sent;
    click(*vdsl_, kHistoryButton);
    LineHistoryWindow* shownWindow = window();
    ASSERT_NE(shownWindow, nullptr);
    EXPECT_TRUE(shownWindow->isVisible() && shownWindow->isWindow() && !shownWindow->isModal());
    EXPECT_EQ(bytes_->sent, sent);
    EXPECT_EQ(poll(), perPoll);
    click(*vdsl_, kRemote);
    poll();
    // The remote unit's link check gets no value: the page falls back at once, marked as a drop.
    pair_->dropLink(-1);
    poll();
    pair_->restoreLine();
    wait(4000);
    // Closed, it stops following; a second click raises the one window, caught up.
    sent = bytes_->sent;
    shownWindow->close();
    EXPECT_EQ(bytes_->sent, sent);
    poll();
    EXPECT_EQ(shownWindow->series("SNR (dB)")->count(), 5);
    sent = bytes_->sent;
    click(*vdsl_, kHistoryButton);
    EXPECT_EQ(bytes_->sent, sent);
    EXPECT_EQ(window(), shownWindow);
    EXPECT_TRUE(shownWindow->isVisible());
    EXPECT_EQ(events_, timerEvents);
    EXPECT_EQ(timers_.size(), 1u);

    const auto& samples = history().samples();
    for (const char* name : {"SNR (dB)", "MSE (dB)", "Corrected RS errors /s", "Link Fail Counter"})
        EXPECT_EQ(shownWindow->series(name)->count(), static_cast<int>(samples.size())) << name;
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const auto at = static_cast<int>(i);
        EXPECT_EQ(shownWindow->series("MSE (dB)")->at(at),
                  QPointF(static_cast<double>(samples[i].wallTimeMs), *samples[i].mseDb()));
        EXPECT_EQ(shownWindow->series("Link Fail Counter")->at(at).y(), *samples[i].linkFailCount);
    }
    // Marked where the link went down (and the page back to Local), and at the click on Remote.
    EXPECT_EQ(history().linkDrops(), (std::vector<std::size_t>{4}));
    EXPECT_EQ(history().sideChanges(), (std::vector<std::size_t>{3, 4}));
    EXPECT_EQ(shownWindow->series("Link drop")->at(0).x(), samples[4].wallTimeMs);
    EXPECT_EQ(shownWindow->series("Side change")->count(), 2);
}

TEST_F(LineHistoryPage, ExportWritesTheAnsweredFileAndReportsAFailedWrite) {
    poll();
    click(*vdsl_, kHistoryButton);
    QPushButton* exportButton = nullptr;
    for (QPushButton* button : window()->findChildren<QPushButton*>())
        if (button->text() == "Export CSV...")
            exportButton = button;
    ASSERT_NE(exportButton, nullptr);
    QTemporaryDir folder;
    const std::string good = folder.filePath("line.csv").toStdString();
    const std::string bad = folder.filePath("no such folder/line.csv").toStdString();
    for (const auto& [answer, written, box] :
         {std::tuple{std::optional<std::string>(good), true, false},
          std::tuple{std::optional<std::string>(), false, false},
          std::tuple{std::optional<std::string>(bad), false, true}}) {
        saveAnswer_ = answer;
        std::filesystem::remove(good);
        boxes_.clear();
        exportButton->click();
        std::ifstream file(good, std::ios::binary);
        EXPECT_EQ(file.is_open(), written) << answer.value_or("cancel");
        if (written) {
            std::ostringstream bytes;
            bytes << file.rdbuf();
            EXPECT_EQ(bytes.str(), monitor::lineHistoryCsv(history(), localIso));
        }
        ASSERT_EQ(boxes_.size(), box ? 1u : 0u);
        if (box) {
            EXPECT_EQ(boxes_[0].text, "The history could not be saved to\n" + bad);
        }
    }
    ASSERT_EQ(saveQuestions_.size(), 3u);
    EXPECT_EQ(saveQuestions_[0].caption, "Export CSV");
    EXPECT_EQ(saveQuestions_[0].filter, "CSV files (*.csv)");
    EXPECT_EQ(saveQuestions_[0].suggestedName.substr(0, 23), "line_history_2026-03-01");
}

} // namespace
} // namespace monitortest
