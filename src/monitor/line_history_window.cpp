#include "monitor/line_history_window.h"

#include "monitor/line_history_csv.h"
#include "monitor/line_plot.h"
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/journal.h"
#include "platform/local_time.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdio>

using monitor::LineHistory;
using monitor::lineOf;
using monitor::LineSide;
using monitor::Quantity;

namespace {

// The search passes a side from this signal/noise ratio up.
constexpr double kPassThresholdDb = 6.0;
constexpr double kShortestSpanMs = 60000;
constexpr double kLongestSpanMs = 62.0 * 24 * 3600000;
// The whole history is shown with room to grow, so that following it rarely spreads it anew.
constexpr double kAllGrowth = 1.25;
constexpr double kShortestAllMs = 15 * 60000;

const QColor kLocalColour(31, 95, 191), kRemoteColour(192, 57, 43);
const QColor kLocalMseColour(111, 168, 220), kRemoteMseColour(230, 145, 56);
const QColor kLocalFailColour(56, 118, 29), kRemoteFailColour(142, 68, 173);

// Suggests line_history_2026-03-01_0900.csv for a history that began at 09:00 local time.
std::string suggestedFileName(const LineHistory& history) {
    if (history.samples().empty())
        return "line_history.csv";
    const platform::CivilTime t = platform::localCivilTime(history.samples().front().wallTimeMs);
    char name[64];
    std::snprintf(name, sizeof name, "line_history_%04d-%02d-%02d_%02d%02d.csv", t.year, t.month,
                  t.day, t.hour, t.minute);
    return name;
}

LinePlot::Line line(Quantity quantity, LineSide side, const char* reading, const char* unit,
                    const QColor& colour, bool rightAxis = false) {
    return {lineOf(quantity, side),
            QString("%1 %2").arg(reading, sideName(side)),
            reading,
            unit,
            colour,
            rightAxis};
}

QString duration(std::int64_t ms) {
    const std::int64_t minutes = ms / 60000;
    if (minutes < 60)
        return QString("%1 min").arg(minutes);
    return QString("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar('0'));
}

} // namespace

LineHistoryWindow::LineHistoryWindow(const LineHistory& history, QWidget* parent,
                                     ApplyPeriods applyPeriods)
    : QWidget(parent, Qt::Window), history_(history), applyPeriods_(std::move(applyPeriods)) {
    setWindowTitle("Line History");
    signal_ = new LinePlot(history_, columns_,
                           {line(Quantity::Snr, LineSide::Local, "SNR", " dB", kLocalColour),
                            line(Quantity::Snr, LineSide::Remote, "SNR", " dB", kRemoteColour),
                            line(Quantity::Mse, LineSide::Local, "MSE", " dB", kLocalMseColour),
                            line(Quantity::Mse, LineSide::Remote, "MSE", " dB", kRemoteMseColour)},
                           {"dB"}, std::nullopt, this);
    signal_->setThreshold(kPassThresholdDb, "6 dB pass");
    signal_->setMarks(true);
    errors_ = new LinePlot(
        history_, columns_,
        {line(Quantity::ErrorRate, LineSide::Local, "Corrected errors", " /s", kLocalColour),
         line(Quantity::ErrorRate, LineSide::Remote, "Corrected errors", " /s", kRemoteColour),
         line(Quantity::LinkFails, LineSide::Local, "Link fails", "", kLocalFailColour, true),
         line(Quantity::LinkFails, LineSide::Remote, "Link fails", "", kRemoteFailColour, true)},
        {"corrected errors /s", true, 1}, LinePlot::Axis{"link fails", true, 5}, this);

    range_ = new QComboBox;
    range_->addItems({"15 min", "1 h", "8 h", "24 h", "All"});
    range_->setCurrentIndex(4);
    auto* rangeLabel = new QLabel("&Range:");
    rangeLabel->setBuddy(range_);
    follow_ = new QCheckBox("&Follow");
    follow_->setChecked(true);
    follow_->setToolTip("Keep the newest poll in view");
    auto* exportButton = new QPushButton("&Export CSV...");
    summary_ = new QLabel;
    summary_->setTextFormat(Qt::RichText);

    auto* controls = new QHBoxLayout;
    controls->addWidget(rangeLabel);
    controls->addWidget(range_);
    controls->addSpacing(12);
    controls->addWidget(follow_);
    controls->addStretch();
    // Every poll also goes to the run's journal as it happens; the folder can be copied from here.
    if (const std::string folder = platform::journalFolder(); !folder.empty()) {
        auto* where = new QLabel("Journal: " + QString::fromStdString(folder));
        where->setTextInteractionFlags(Qt::TextSelectableByMouse);
        controls->addWidget(where);
        controls->addSpacing(12);
    }
    controls->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(signal_, 3);
    layout->addWidget(errors_, 2);
    layout->addWidget(summary_);
    layout->addLayout(controls);
    setTabOrder(signal_, errors_);
    setTabOrder(errors_, range_);
    setTabOrder(range_, follow_);
    setTabOrder(follow_, exportButton);
    resize(820, 640);

    connect(exportButton, &QPushButton::clicked, this, [this] { exportCsv(); });
    connect(range_, &QComboBox::activated, this, [this](int index) {
        if (follow_->isChecked() || index == 4) {
            followedRange(startMs_, spanMs_);
        } else {
            spanMs_ = static_cast<double>(kRangesMs[index]);
            startMs_ = history_.samples().empty()
                           ? startMs_
                           : static_cast<double>(history_.samples().back().wallTimeMs) - spanMs_;
        }
        rebuild();
    });
    connect(follow_, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            rebuild();
    });
    for (LinePlot* plot : {signal_, errors_}) {
        connect(plot, &LinePlot::zoomRequested, this, &LineHistoryWindow::zoom);
        connect(plot, &LinePlot::panRequested, this, &LineHistoryWindow::pan);
    }
    connect(signal_, &LinePlot::plotWidthChanged, this, [this] {
        if (isVisible() && signal_->plotWidth() != columns_.count())
            rebuild();
    });
}

void LineHistoryWindow::followedRange(double& startMs, double& spanMs) const {
    const auto& samples = history_.samples();
    const double newest = samples.empty() ? static_cast<double>(platform::wallTimeMs())
                                          : static_cast<double>(samples.back().wallTimeMs);
    const int choice = range_->currentIndex();
    if (choice < 4) {
        spanMs = static_cast<double>(kRangesMs[choice]);
        startMs = newest - spanMs;
        return;
    }
    const double oldest =
        samples.empty() ? newest : static_cast<double>(samples.front().wallTimeMs);
    spanMs = std::max(kShortestAllMs, (newest - oldest) * kAllGrowth);
    startMs = oldest;
}

void LineHistoryWindow::rebuild() {
    if (follow_->isChecked())
        followedRange(startMs_, spanMs_);
    const int width = signal_->plotWidth();
    const double columnMs = spanMs_ / width;
    auto first = static_cast<std::int64_t>(std::floor(startMs_ / columnMs));
    if (follow_->isChecked() && range_->currentIndex() < 4 && !history_.samples().empty())
        // The newest poll in the last column.
        first = static_cast<std::int64_t>(std::floor(
                    static_cast<double>(history_.samples().back().wallTimeMs) / columnMs)) -
                width + 1;
    columns_.rebuild(history_, first, columnMs, width);
    added_ = history_.size();
    refreshViews();
}

void LineHistoryWindow::follow() {
    if (!isVisible() || added_ == history_.size())
        return;
    const auto& samples = history_.samples();
    for (; added_ < samples.size(); ++added_) {
        if (follow_->isChecked()) {
            const std::int64_t column =
                columns_.columnAt(static_cast<double>(samples[added_].wallTimeMs));
            const std::int64_t beyond = column - (columns_.firstColumn() + columns_.count() - 1);
            if (beyond > 0 && range_->currentIndex() == 4) {
                rebuild(); // the whole history outgrew its room: spread it anew
                return;
            }
            if (beyond > 0)
                columns_.scrollTo(columns_.firstColumn() + beyond);
        }
        columns_.add(history_, added_);
    }
    startMs_ = columns_.startMs();
    refreshViews();
}

void LineHistoryWindow::showRange(double startMs, double spanMs) {
    stopFollowing();
    spanMs_ = std::clamp(spanMs, kShortestSpanMs, kLongestSpanMs);
    startMs_ = startMs;
    rebuild();
}

void LineHistoryWindow::zoom(double factor, double aroundMs) {
    const double span = std::clamp(spanMs_ * factor, kShortestSpanMs, kLongestSpanMs);
    showRange(aroundMs - (aroundMs - columns_.startMs()) * span / spanMs_, span);
}

void LineHistoryWindow::pan(int columns) {
    showRange(columns_.startMs() + columns * columns_.columnMs(), spanMs_);
}

void LineHistoryWindow::stopFollowing() {
    const QSignalBlocker quiet(follow_);
    follow_->setChecked(false);
}

void LineHistoryWindow::refreshViews() {
    const std::vector<ApplyPeriod> periods =
        applyPeriods_ ? applyPeriods_() : std::vector<ApplyPeriod>{};
    for (LinePlot* plot : {signal_, errors_}) {
        plot->setApplyPeriods(periods);
        plot->refresh();
    }
    summary_->setText(summaryText());
}

QString LineHistoryWindow::summaryText() const {
    QString rows;
    for (const LineSide side : {LineSide::Local, LineSide::Remote}) {
        const monitor::SideSummary s = columns_.summary(side);
        if (s.polls == 0)
            continue;
        const QString snr = s.snrCount == 0 ? QString("no SNR")
                                            : QString("SNR min %1 dB, mean %2 dB")
                                                  .arg(s.snrLow, 0, 'f', 2)
                                                  .arg(s.snrSum / s.snrCount, 0, 'f', 2);
        rows += QString("<tr><td><b>%1</b></td><td>polled %2</td><td>link up %3%</td>"
                        "<td>%4 link drop%5</td><td>%6</td></tr>")
                    .arg(sideName(side), duration(s.polledMs))
                    .arg(100.0 * s.linkUpPolls / s.polls, 0, 'f', 1)
                    .arg(s.linkDrops)
                    .arg(s.linkDrops == 1 ? "" : "s", snr);
    }
    if (rows.isEmpty())
        return "No poll in the shown range.";
    return "<table cellspacing=\"10\" cellpadding=\"0\">" + rows + "</table>";
}

void LineHistoryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    rebuild();
}

void LineHistoryWindow::exportCsv() {
    platform::saveToChosenFile(
        this, "Export CSV", suggestedFileName(history_), "CSV files (*.csv)", "history",
        [this] { return monitor::lineHistoryCsv(history_, monitor::localIsoTime); });
}
