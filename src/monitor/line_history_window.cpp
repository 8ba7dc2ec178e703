#include "monitor/line_history_window.h"

#include "monitor/line_history_csv.h"
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/journal.h"
#include "platform/local_time.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

using monitor::LineHistory;
using monitor::LineSample;

namespace {

enum SeriesIndex : std::size_t { kSnr, kMse, kErrors, kFails, kDrops, kSides };
// The marks sit on an axis of their own, near the bottom of the upper chart, so they stay put
// however the dB axis scales; side changes above link drops, as the two often come together.
constexpr double kDropRow = 0.05;
constexpr double kSideRow = 0.14;
constexpr qint64 kMinuteMs = 60000;
// The time axis steps from tick to tick by one of these (minutes), with at most
// kMostTickIntervals steps over the whole session.
constexpr std::array<qint64, 12> kTickStepsMinutes = {1,  2,   5,   10,  15,  30,
                                                      60, 120, 180, 360, 720, 1440};
constexpr qint64 kMostTickIntervals = 8;
static_assert(kSides + 1 == 6, "one list of points per series");

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

QScatterSeries* marks(QScatterSeries::MarkerShape shape, const QColor& color) {
    auto* series = new QScatterSeries;
    series->setMarkerShape(shape);
    series->setMarkerSize(10);
    series->setColor(color);
    series->setBorderColor(color.darker());
    return series;
}

QValueAxis* valueAxis(const char* title, const QString& format) {
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    axis->setLabelFormat(format);
    return axis;
}

} // namespace

LineHistoryWindow::LineHistoryWindow(const LineHistory& history, QWidget* parent)
    : QWidget(parent, Qt::Window), history_(history) {
    setWindowTitle("Line History");
    QChart* lineChart = makeChart("Signal", lineTime_);
    QChart* errorChart = makeChart("Errors", errorTime_);
    dbAxis_ = valueAxis("dB", "%.0f");
    lineChart->addAxis(dbAxis_, Qt::AlignLeft);
    errorAxis_ = valueAxis("errors /s", "%.0f");
    errorChart->addAxis(errorAxis_, Qt::AlignLeft);
    failAxis_ = valueAxis("link fails", "%.0f");
    errorChart->addAxis(failAxis_, Qt::AlignRight);
    auto* markAxis = new QValueAxis;
    markAxis->setRange(0, 1);
    markAxis->setVisible(false);
    lineChart->addAxis(markAxis, Qt::AlignRight);

    addSeries(lineChart, new QLineSeries, "SNR (dB)", dbAxis_, lineTime_);
    addSeries(lineChart, new QLineSeries, "MSE (dB)", dbAxis_, lineTime_);
    addSeries(errorChart, new QLineSeries, "Corrected RS errors /s", errorAxis_, errorTime_);
    addSeries(errorChart, new QLineSeries, "Link Fail Counter", failAxis_, errorTime_);
    addSeries(lineChart, marks(QScatterSeries::MarkerShapeTriangle, Qt::red), "Link drop", markAxis,
              lineTime_);
    addSeries(lineChart, marks(QScatterSeries::MarkerShapeRectangle, QColor(230, 120, 0)),
              "Side change", markAxis, lineTime_);

    auto* exportButton = new QPushButton("Export CSV...");
    connect(exportButton, &QPushButton::clicked, this, [this] { exportCsv(); });
    auto* buttons = new QHBoxLayout;
    // Every poll also goes to the run's journal as it happens; the folder can be copied from here.
    if (const std::string folder = platform::journalFolder(); !folder.empty()) {
        auto* where = new QLabel("Journal: " + QString::fromStdString(folder));
        where->setTextInteractionFlags(Qt::TextSelectableByMouse);
        buttons->addWidget(where);
    }
    buttons->addStretch();
    buttons->addWidget(exportButton);
    auto* layout = new QVBoxLayout(this);
    for (QChart* chart : {lineChart, errorChart}) {
        auto* view = new QChartView(chart);
        view->setRenderHint(QPainter::Antialiasing);
        view->setMinimumHeight(200);
        layout->addWidget(view, 1);
    }
    layout->addLayout(buttons);
    resize(760, 560);
    rescaleTime();
    rescaleValues();
}

QChart* LineHistoryWindow::makeChart(const char* title, QDateTimeAxis*& time) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignTop);
    time = new QDateTimeAxis;
    time->setFormat("hh:mm");
    chart->addAxis(time, Qt::AlignBottom);
    return chart;
}

QXYSeries* LineHistoryWindow::addSeries(QChart* chart, QXYSeries* series, const char* name,
                                        QValueAxis* axis, QDateTimeAxis* time) {
    series->setName(name);
    chart->addSeries(series);
    series->attachAxis(time);
    series->attachAxis(axis);
    series_.push_back(series);
    return series;
}

QXYSeries* LineHistoryWindow::series(std::string_view name) const {
    const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    for (QXYSeries* candidate : series_)
        if (candidate->name() == wanted)
            return candidate;
    return nullptr;
}

void LineHistoryWindow::follow() {
    if (!isVisible() || plotted_ == history_.size())
        return;
    std::array<QList<QPointF>, kSeriesCount> points;
    collectPoints(points);
    widenRanges(points);
    // One replace per series: appending a list lays the whole line out again for every point
    // added, which made a day of polls take minutes to open; a replace lays it out once.
    for (std::size_t i = 0; i < points.size(); ++i)
        if (!points[i].isEmpty())
            series_[i]->replace(series_[i]->points() + points[i]);
    rescaleTime();
    rescaleValues();
}

void LineHistoryWindow::collectPoints(std::array<QList<QPointF>, kSeriesCount>& points) {
    const auto& samples = history_.samples();
    const auto add = [&](int series, std::int64_t timeMs, std::optional<double> value) {
        if (value && std::isfinite(*value))
            points[static_cast<std::size_t>(series)].append(
                QPointF(static_cast<qreal>(timeMs), *value));
    };
    const auto count = [](auto value) {
        return value ? std::optional<double>(*value) : std::nullopt;
    };
    for (; plotted_ < samples.size(); ++plotted_) {
        const LineSample& sample = samples[plotted_];
        add(kSnr, sample.wallTimeMs, sample.snrDb());
        add(kMse, sample.wallTimeMs, sample.mseDb());
        add(kErrors, sample.wallTimeMs, count(sample.correctedErrors));
        add(kFails, sample.wallTimeMs, count(sample.linkFailCount));
    }
    for (; dropsMarked_ < history_.linkDrops().size(); ++dropsMarked_)
        add(kDrops, samples[history_.linkDrops()[dropsMarked_]].wallTimeMs, kDropRow);
    for (; sidesMarked_ < history_.sideChanges().size(); ++sidesMarked_)
        add(kSides, samples[history_.sideChanges()[sidesMarked_]].wallTimeMs, kSideRow);
}

void LineHistoryWindow::widenRanges(const std::array<QList<QPointF>, kSeriesCount>& points) {
    for (const auto index : {kSnr, kMse})
        for (const QPointF& point : points[index]) {
            dbLow_ = anyDb_ ? std::min(dbLow_, point.y()) : point.y();
            dbHigh_ = anyDb_ ? std::max(dbHigh_, point.y()) : point.y();
            anyDb_ = true;
        }
    for (const QPointF& point : points[kErrors])
        errorHigh_ = std::max(errorHigh_, point.y());
    for (const QPointF& point : points[kFails])
        failHigh_ = std::max(failHigh_, point.y());
}

void LineHistoryWindow::rescaleTime() {
    const auto& samples = history_.samples();
    const qint64 first = samples.empty() ? platform::wallTimeMs() : samples.front().wallTimeMs;
    const qint64 last = samples.empty() ? first : samples.back().wallTimeMs;
    // Ticks on whole minutes of the local clock, so the labels read 08:00, 08:10, 08:20...
    qint64 step = kTickStepsMinutes.back() * kMinuteMs;
    for (const qint64 minutes : kTickStepsMinutes)
        if (last - first <= minutes * kMinuteMs * kMostTickIntervals) {
            step = minutes * kMinuteMs;
            break;
        }
    const qint64 offset = qint64{platform::localUtcOffsetMinutes(first)} * kMinuteMs;
    const qint64 from = (first + offset) / step * step - offset;
    const qint64 intervals = std::max<qint64>(1, (last - from + step - 1) / step);
    for (QDateTimeAxis* time : {lineTime_, errorTime_}) {
        time->setRange(QDateTime::fromMSecsSinceEpoch(from),
                       QDateTime::fromMSecsSinceEpoch(from + intervals * step));
        time->setTickCount(static_cast<int>(intervals) + 1);
        time->setFormat(intervals * step > 24 * 60 * kMinuteMs ? "dd MMM hh:mm" : "hh:mm");
    }
}

void LineHistoryWindow::rescaleValues() {
    // A band below the lowest reading keeps the marks clear of the lines.
    const double low = anyDb_ ? std::floor(dbLow_) - 2 : 0;
    const double high = anyDb_ ? std::ceil(dbHigh_) + 2 : 50;
    dbAxis_->setRange(low - (high - low) * 0.25, high);
    dbAxis_->applyNiceNumbers();
    errorAxis_->setRange(0, std::max(10.0, errorHigh_ * 1.1));
    errorAxis_->applyNiceNumbers();
    failAxis_->setRange(0, std::max(5.0, failHigh_ + 1));
    failAxis_->applyNiceNumbers();
}

void LineHistoryWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    follow();
}

void LineHistoryWindow::exportCsv() {
    platform::saveToChosenFile(
        this, "Export CSV", suggestedFileName(history_), "CSV files (*.csv)", "history",
        [this] { return monitor::lineHistoryCsv(history_, monitor::localIsoTime); });
}
