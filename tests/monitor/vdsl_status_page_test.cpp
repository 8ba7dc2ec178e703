// The VDSL Status page on the simulated unit pair: what one poll reads, in which order, what
// the page shows of it, what its line history records and the window that plots the history.
#include "link/console_state.h"
#include "link/decoding.h"
#include "monitor/line_history_csv.h"
#include "monitor/line_history_window.h"
#include "monitor/line_plot.h"
#include "platform/local_time.h"
#include "platform/virtual_clock.h"
#include "status_sheet.h"
#include "support/work_folder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

namespace monitortest {
namespace {

namespace ids = res::ids::vdsl_status;
using monitor::lineOf;
using monitor::LineSample;
using monitor::LineSide;

const Lines kPoll = {"rd 8c71",    "rd 8c70",    "rd 8c40",    "rd 8c41", "rd 8D38", "rd 8C98",
                     "rd 8C91, 4", "rd 8C99, 3", "rd 8C9C, 2", "rd 8C67", "rd 8C71"};

class VdslStatusPage : public StatusSheet {
protected:
    // Each unit measures with the code it receives and sends with the other: both show 41.80 /
    // 19.20 / -1.47 (the other codes would give 29.20 / 10.00 and -9.00). P has 1 link fail, S 2;
    // S shows other RS errors and other marks than P's defaults.
    void SetUp() override {
        StatusSheet::SetUp();
        fixUnit(Side::P, 0x00, 0x54, 1);
        fixUnit(Side::S, 0x54, 0x00, 1);
        fix(Side::S, 0x8d38, 2);
        fix(Side::S, 0x8c91, 9);
        fix(Side::S, 0x8c71, 0xA5);
        fix(Side::S, 0x8c98, 0x85);
    }
    void tick() { // four seconds after the last
        wait(4000);
        vdsl_->onWindowTimer(64);
    }
    // Codes down and up, v = 100000 n, w = 1000 n, g = 0 (only bits 2..0 count), n link fails.
    void fixUnit(Side side, std::uint32_t down, std::uint32_t up, std::uint32_t n) {
        for (const auto& [addr, value] :
             {std::pair{0x8c40, down}, std::pair{0x8c41, up}, std::pair{0x8c99, 100000 * n},
              std::pair{0x8c9c, 1000 * n}, std::pair{0x8c67, 0xF8u}, std::pair{0x8d38, n}})
            fix(side, static_cast<std::uint16_t>(addr), value);
    }
    Lines readings() const { // SNR, MSE, power, link fails
        const Lines all = vdslShown();
        return {all[0], all[1], all[3], all[4]};
    }
    std::string marks() const {
        std::string all;
        for (std::size_t i = 5; i < vdslShown().size(); ++i)
            all += vdslShown()[i];
        return all;
    }
    const monitor::LineHistory& history() const { return vdsl_->lineHistory(); }
    LineHistoryWindow* window() const {
        const auto windows = vdsl_->findChildren<LineHistoryWindow*>();
        return windows.size() == 1 ? windows.front() : nullptr;
    }
    // The last sample as the page would show it.
    Lines recorded() const {
        const LineSample& s = history().samples().back();
        Lines all = {formatDb(s.snrDb()), formatDb(s.mseDb()),
                     std::to_string(s.correctedErrors.value()), formatDb(s.transmitPowerDbmHz()),
                     std::to_string(s.linkFailCount.value())};
        for (unsigned bit : {0x80u, 0x40u, 0x20u, 0x08u, 0x04u, 0x02u})
            all.push_back((s.linkStateBits.value() & bit) != 0 ? "x" : ".");
        for (unsigned bit : {0x80u, 0x04u, 0x02u, 0x01u})
            all.push_back((s.receiverBits.value() & bit) != 0 ? "x" : ".");
        return all;
    }
};

TEST_F(VdslStatusPage, PollsTheLocalUnitWhenShownThenTheAddressedUnitAtEachTick) {
    showTab(kVdslTab);
    Lines atShow = {"", "rd 8c70"};
    atShow.insert(atShow.end(), kPoll.begin(), kPoll.end());
    EXPECT_EQ(commands(), atShow);
    EXPECT_EQ(events_, Lines{"set vdsl 64 4000"});
    EXPECT_EQ(g_pollTimerId, 64u);
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Local on P");
    EXPECT_EQ(readings(), (Lines{"41.80", "19.20", "-1.47", "1"}));
    EXPECT_EQ(recorded(), vdslShown());
    click(*vdsl_, kRemote);
    EXPECT_EQ(text(*vdsl_, ids::kLinkFailCounter), "1"); // nothing read at the click
    clearCommands();
    const std::int64_t began = clock_.wallTimeMs() + 4000;
    tick();
    EXPECT_EQ(commands(), kPoll);
    EXPECT_EQ(readings(), (Lines{"41.80", "19.20", "-1.47", "2"}));
    // Each poll records what the page shows, when and from which side.
    const LineSample& last = history().samples().back();
    EXPECT_EQ(recorded(), vdslShown());
    EXPECT_EQ(std::tuple(last.wallTimeMs, last.side, last.sSideUnit(), last.linkUp()),
              std::tuple(began, LineSide::Remote, std::optional(true), std::optional(true)));
    EXPECT_EQ(history().sideChanges(), std::vector<std::size_t>{1});
    EXPECT_TRUE(vdsl_->control<QWidget>(ids::kTransmitPower)->isHidden());
    // Hidden, the page keeps what it shows and the console its unit; shown again, it starts
    // over from the local unit before the first tick.
    showTab(kBlankTab);
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Remote on S");
    showTab(kVdslTab);
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Local on P");
    EXPECT_EQ(text(*vdsl_, ids::kLinkFailCounter), "1");
}

TEST_F(VdslStatusPage, LinkDropOrNoLinkStateWhileRemoteIsCheckedFallsBackInTheSameTick) {
    showTab(kVdslTab);
    for (bool drop : {false, true}) {
        click(*vdsl_, kRemote);
        tick();
        EXPECT_EQ(text(*vdsl_, ids::kLinkFailCounter), "2");
        // A unit that does not report its link state counts as link down.
        if (drop)
            pair_->dropLink(-1);
        else
            pair_->faults().noValueRegister = "8c71";
        tick();
        pair_->faults().noValueRegister.clear();
        EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link DOWN]: Local, Remote disabled, on P");
        EXPECT_EQ(text(*vdsl_, ids::kLinkFailCounter), "1");
        tick();
    }
    // The link comes back: Remote can be chosen again, but the page stays on the local unit.
    pair_->restoreLine();
    wait(4000);
    clearCommands();
    tick();
    EXPECT_EQ(sides(*vdsl_), "Quillon Configurator  [link UP]: Local on P");
    EXPECT_EQ(commands(), kPoll);
}

// Indicators show their bits, counters their unsigned values; what cannot be computed shows a
// dash, and nothing made up is shown at first.
TEST_F(VdslStatusPage, IndicatorsCountersAndDashesShowWhatWasRead) {
    fix(Side::P, 0x8d38, 0xFF);
    fix(Side::P, 0x8c91, 4000000000u);
    fix(Side::P, 0x8c71, 0xA5); // bits 0x10 and 0x01 are shown nowhere
    fix(Side::P, 0x8c98, 0x85);
    pair_->faults().noValueRegister = "8C99";
    showTab(kVdslTab);
    EXPECT_EQ(readings(), (Lines{"", "", "-1.47", "255"}));
    EXPECT_EQ(marks(), "x.x.x.xx.x");
    EXPECT_EQ(text(*vdsl_, ids::kRsErrors), "4000000000");
    pair_->faults().noValueRegister.clear();
    EXPECT_FALSE(
        vdsl_->controls().widget(ids::kFullConstellationLink)->isEnabled()); // indicators only show
    // Noise 0, then level 0: no finite ratio, then no finite power.
    for (const auto& [addr, expected] : {std::pair{0x8c99, Lines{"-", "-", "-1.47", "1"}},
                                         std::pair{0x8c9c, Lines{"41.80", "19.20", "-", "1"}}}) {
        fixUnit(Side::P, 0x00, 0x54, 1);
        fix(Side::P, static_cast<std::uint16_t>(addr), 0);
        tick();
        EXPECT_EQ(readings(), expected) << std::hex << addr;
    }
}

// A read without value leaves the boxes it feeds as they were and records nothing for it; the
// rest of the poll is shown and recorded.
TEST_F(VdslStatusPage, AReadWithoutValueLeavesWhatItFeedsAsItWasAndRecordsNothing) {
    const std::tuple<const char*, std::vector<int>, bool (*)(const LineSample&)> cases[] = {
        {"8c70",
         {0, 1, 3},
         [](auto& s) { return !s.unitType && !s.snrDb() && !s.transmitPowerDbmHz(); }},
        {"8c40", {0, 1}, [](auto& s) { return !s.downstreamCode && !s.snrDb() && !s.mseDb(); }},
        {"8c41", {3}, [](auto& s) { return !s.upstreamMbps() && !s.transmitPowerDbmHz(); }},
        {"8D38", {4}, [](auto& s) { return !s.linkFailCount; }},
        {"8C98", {11, 12, 13, 14}, [](auto& s) { return !s.receiverBits; }},
        {"8C91", {2}, [](auto& s) { return !s.correctedErrors; }},
        {"8C99", {0, 1}, [](auto& s) { return !s.noise && !s.snrDb() && !s.mseDb(); }},
        {"8C9C", {3}, [](auto& s) { return !s.transmitLevel && !s.transmitPowerDbmHz(); }},
        {"8C67", {3}, [](auto& s) { return !s.gainStep && !s.transmitPowerDbmHz(); }}};
    // Poll n's values: each poll shows other texts and other check marks.
    const auto fixPoll = [this](std::uint32_t n) {
        fixUnit(Side::P, 0x00, 0x54, n);
        fix(Side::P, 0x8c91, 10 * n);
        fix(Side::P, 0x8c98, n == 1 ? 0x85 : 0x02);
        fix(Side::P, 0x8c71, n == 1 ? 0xAE : 0x51);
    };
    fixPoll(2);
    showTab(kVdslTab);
    const Lines second = vdslShown();
    for (const auto& [reg, fed, isEmpty] : cases) {
        fixPoll(1);
        tick();
        Lines expected = vdslShown();
        for (std::size_t i = 0; i < expected.size(); ++i) {
            ASSERT_NE(expected[i], second[i]) << i;
            if (std::ranges::count(fed, i) == 0)
                expected[i] = second[i];
        }
        pair_->faults().noValueRegister = reg;
        fixPoll(2);
        tick();
        pair_->faults().noValueRegister.clear();
        EXPECT_EQ(vdslShown(), expected) << reg;
        EXPECT_TRUE(isEmpty(history().samples().back())) << reg;
    }
}

// The window neither talks to the unit nor touches the poll timer; each side has its own lines.
// The run's journal keeps every poll as Export CSV writes the history, and the window names it.
TEST_F(VdslStatusPage, TheHistoryWindowOpensModelessFollowsEachSideSendsNothingAndExports) {
    startJournal();
    showTab(kVdslTab);
    const Lines timerEvents = events_;
    const auto sendsNothing = [this](const std::function<void()>& action) {
        clearCommands();
        action();
        EXPECT_EQ(commands(), Lines{});
    };
    sendsNothing([this] { click(*vdsl_, ids::kHistory); });
    LineHistoryWindow* shown = window();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible() && shown->isWindow() && !shown->isModal());
    tick();
    EXPECT_EQ(commands(), kPoll);
    const QStringList localOnly = {"SNR Local", "MSE Local", "6 dB pass", "Link drop",
                                   "Side change"};
    EXPECT_EQ(shown->signalPlot()->legend(), localOnly);
    click(*vdsl_, kRemote);
    tick();
    pair_->dropLink(-1); // the page falls back at once, marked as a drop
    tick();
    pair_->restoreLine();
    wait(4000);
    // Closed, it stops following; a second click raises the one window, caught up.
    sendsNothing([&] { shown->close(); });
    tick();
    sendsNothing([this] { click(*vdsl_, ids::kHistory); });
    EXPECT_EQ(window(), shown);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_EQ(events_, timerEvents);
    EXPECT_EQ(shown->signalPlot()->legend(),
              (QStringList{"SNR Local", "SNR Remote", "MSE Local", "MSE Remote", "6 dB pass",
                           "Link drop", "Side change"}));
    // S counts 2 link fails, P 1: each on its own side's line, never mixed.
    const monitor::LineColumns& columns = shown->columns();
    for (const auto& [side, fails] : {std::pair{LineSide::Local, 1.0f}, {LineSide::Remote, 2.0f}})
        for (int c = 0; c < columns.count(); ++c) {
            const auto& span = columns.span(lineOf(monitor::Quantity::LinkFails, side), c);
            EXPECT_TRUE(!span.any || std::pair(span.low, span.high) == std::pair(fails, fails));
        }
    EXPECT_EQ(
        std::pair(columns.summary(LineSide::Local).polls, columns.summary(LineSide::Remote).polls),
        std::pair(4, 1));
    EXPECT_EQ(columns.summary(LineSide::Local).linkDrops, 1);
    // Export CSV writes the history's CSV with local time stamps, under a dated name.
    const testsupport::WorkFolder folder;
    saveAnswer_ = folder.file("line.csv");
    for (QPushButton* button : shown->findChildren<QPushButton*>())
        if (button->text() == "&Export CSV...")
            button->click();
    const std::string csv = monitor::lineHistoryCsv(history(), [](std::int64_t ms) {
        return monitor::isoTimeAtOffset(ms, platform::localUtcOffsetMinutes(ms));
    });
    EXPECT_EQ(testsupport::readFile(*saveAnswer_), csv);
    EXPECT_EQ(journalFile("vdsl.csv"), csv);
    ASSERT_EQ(saveQuestions_.size(), 1u);
    EXPECT_EQ(saveQuestions_[0].suggestedName.substr(0, 23), "line_history_2026-03-01");
    const QString named = QString::fromStdString("Journal: " + journal_->folder());
    EXPECT_TRUE(std::ranges::any_of(shown->findChildren<QLabel*>(), [&named](const QLabel* label) {
        return label->text() == named;
    }));
}

// 8C91 counts since the previous read of that unit, by whoever read it: an Apply's error check
// between two polls shortens the time the next poll's count covers.
TEST_F(VdslStatusPage, TheErrorRateCountsFromThePreviousReadOfTheUnitByAnyLink) {
    fix(Side::P, 0x8c91, 9);
    const auto counterReads = [this] {
        std::vector<std::int64_t> at;
        for (const sim::LoggedCommand& command : pair_->commandLog())
            if (command.text == "rd 8C91, 4" && command.unit == Side::P)
                at.push_back(command.atMs);
        return at;
    };
    showTab(kVdslTab);
    EXPECT_FALSE(history().samples().back().counterIntervalMs); // the first read of the run
    tick();
    EXPECT_EQ(history().samples().back().counterIntervalMs,
              static_cast<std::uint32_t>(counterReads()[1] - counterReads()[0]));
    wait(1000);
    CConsoleLink configuration;                // the Configuration page's own link
    EXPECT_EQ(configuration.CheckErrors(), 0); // P counts 9 twice: S is not read
    configuration.SelectLocal();
    tick();
    const std::vector<std::int64_t> reads = counterReads();
    ASSERT_EQ(reads.size(), 5u); // two polls, the check's two reads, a poll
    const LineSample& last = history().samples().back();
    EXPECT_EQ(last.counterIntervalMs, static_cast<std::uint32_t>(reads[4] - reads[3]));
    EXPECT_LT(*last.counterIntervalMs, reads[4] - reads[1]); // since the poll before
    EXPECT_DOUBLE_EQ(*last.correctedErrorsPerSecond(), 9000.0 / *last.counterIntervalMs);
}

// A poll a 4 s over two hours, a 20 minute pause, and an Apply within it.
class HistoryWindow : public testsupport::PlatformFixture {
protected:
    void SetUp() override {
        PlatformFixture::SetUp();
        LineSample sample;
        sample.noise = 100000; // 41.80 dB on code 00
        sample.linkCheck = 0x80;
        sample.unitType = 0x00;
        sample.downstreamCode = 0x00;
        for (int poll = 0; poll < 1800; ++poll) {
            sample.wallTimeMs = kStart + poll * 4000 + (poll >= 900 ? 1200000 : 0);
            history_.add(sample);
        }
        window_.show();
        QApplication::setActiveWindow(&window_);
    }
    static constexpr std::int64_t kStart = platform::VirtualClock::kEpochMs;
    static constexpr std::int64_t kApplyStart = kStart + 3600000 + 300000;
    monitor::LineHistory history_;
    LineHistoryWindow window_{
        history_, nullptr, [] {
            return std::vector<ApplyPeriod>{{kApplyStart, kApplyStart + 600000}};
        }};
};

TEST_F(HistoryWindow, DrawsTheApplyAsABandAndTheSixDbThresholdDashed) {
    LinePlot& plot = *window_.signalPlot();
    const QImage image = plot.grab().toImage();
    const int y = static_cast<int>(std::lround(plot.yOf(6.0, false)));
    const int inBand = static_cast<int>(plot.xOf(static_cast<double>(kApplyStart) + 300000));
    const int outside = static_cast<int>(plot.xOf(static_cast<double>(kApplyStart) - 700000));
    const int above = static_cast<int>(plot.yOf(21.3, false));
    EXPECT_NE(image.pixelColor(inBand, above), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(outside, above), QColor(Qt::white));
    int dashes = 0;
    for (int x = outside - 100; x < outside + 100; ++x)
        dashes += image.pixelColor(x, y) == QColor(0, 110, 40) ? 1 : 0;
    EXPECT_GT(dashes, 40);
    EXPECT_LT(dashes, 160);
    // The pause is a gap: no line goes across it, the line starts anew after it.
    const monitor::LineColumns& columns = window_.columns();
    const std::size_t snr = lineOf(monitor::Quantity::Snr, LineSide::Local);
    int starts = 0;
    for (int c = 0; c < columns.count(); ++c)
        starts += columns.span(snr, c).startsLine ? 1 : 0;
    EXPECT_EQ(starts, 2);
    EXPECT_TRUE(plot.legend().contains("Apply"));
}

// Tab reaches every control in turn; the keys zoom, pan, choose a range and follow again.
TEST_F(HistoryWindow, EveryControlWorksFromTheKeyboard) {
    window_.signalPlot()->setFocus();
    QWidget* const order[] = {window_.signalPlot(),
                              window_.errorPlot(),
                              window_.rangeBox(),
                              window_.followBox(),
                              window_.findChild<QPushButton*>(),
                              window_.signalPlot()};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        ASSERT_EQ(QApplication::focusWidget(), order[i]) << i;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    const double allMs = window_.columns().endMs() - window_.columns().startMs();
    QTest::keyClick(window_.signalPlot(), Qt::Key_Plus);
    EXPECT_FALSE(window_.followBox()->isChecked());
    EXPECT_NEAR(window_.columns().endMs() - window_.columns().startMs(), allMs * 0.8,
                window_.columns().columnMs());
    const double before = window_.columns().startMs();
    QTest::keyClick(window_.errorPlot(), Qt::Key_Left);
    EXPECT_LT(window_.columns().startMs(), before);
    QTest::keyClick(window_.rangeBox(), Qt::Key_Up); // All to 24 h
    EXPECT_NEAR(window_.columns().endMs() - window_.columns().startMs(), 24 * 3600000.0,
                window_.columns().columnMs());
    QTest::keyClick(window_.followBox(), Qt::Key_Space);
    EXPECT_TRUE(window_.followBox()->isChecked());
    EXPECT_GT(window_.columns().endMs(), static_cast<double>(history_.samples().back().wallTimeMs));
    EXPECT_LE(window_.columns().endMs() - 24 * 3600000.0,
              static_cast<double>(history_.samples().back().wallTimeMs));
    // The reading under the pointer: time, side and value.
    LinePlot& plot = *window_.signalPlot();
    const monitor::LineSample& sample = history_.samples()[100];
    QTest::mouseMove(&plot,
                     QPoint(static_cast<int>(plot.xOf(static_cast<double>(sample.wallTimeMs))),
                            static_cast<int>(plot.yOf(*sample.snrDb(), false))));
    EXPECT_TRUE(plot.readout().contains("Local  SNR 41.80 dB")) << plot.readout().toStdString();
}

} // namespace
} // namespace monitortest
