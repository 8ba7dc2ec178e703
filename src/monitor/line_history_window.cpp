#include "monitor/line_history_window.h"

#include "monitor/line_history_csv.h"
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/local_time.h"
#include "platform/message_box.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QHBoxLayout>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

using monitor::LineHistory;
using monitor::LineSample;

namespace {

enum SeriesIndex { kSnr, kMse, kErrors, kFails, kDrops, kSides };
// The marks sit on an axis of their own, near the bottom of the upper chart, so they stay put
// however the dB axis scales; side changes above link drops, as the two often come together.
constexpr double kDropRow = 0.04;
constexpr double kSideRow = 0.11;
// The time axis spans at least this much, so the first polls do not fill the width.
constexpr qint64 kMinimumSpanMs = 60000;

std::string localIsoTime(std::int64_t wallTimeMs) {
    return monitor::isoTimeAtOffset(wallTimeMs, platform::localUtcOffsetMinutes(wallTimeMs));
}

// Suggests line_history_2026-03-01_0900.csv for a history that began at 09:00 local time.
std::string suggestedFileName(const LineHistory& history) {
    if (history.samples().empty())
        return "line_history.csv";
    std::string stamp = localIsoTime(history.samples().front().wallTimeMs).substr(0, 16);
    stamp[10] = '_';
    stamp.erase(13, 1);
    return "line_history_" + stamp + ".csv";
}

QScatterSeries* marks(QScatterSeries::MarkerShape shape, const QColor& color) {
    auto* series = new QScatterSeries;
    series->setMarkerShape(shape);
    series->setMarkerSize(11);
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
    addSeries(lineChart, marks(QScatterSeries::MarkerShapeRectangle, QColor(0, 90, 200)),
              "Side change", markAxis, lineTime_);

    auto* exportButton = new QPushButton("Export CSV...");
    connect(exportButton, &QPushButton::clicked, this, [this] { exportCsv(); });
    auto* buttons = new QHBoxLayout;
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
    rescale();
}

QChart* LineHistoryWindow::makeChart(const char* title, QDateTimeAxis*& time) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->legend()->setAlignment(Qt::AlignTop);
    time = new QDateTimeAxis;
    time->setFormat("hh:mm");
    time->setTickCount(7);
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
    const auto& samples = history_.samples();
    // Added as one batch per series, so a day of polls plots at once when the window opens.
    QList<QPointF> points[kSides + 1];
    const auto addPoint = [&](int series, std::int64_t timeMs, std::optional<double> value) {
        if (value && std::isfinite(*value))
            points[series].append(QPointF(static_cast<qreal>(timeMs), *value));
    };
    for (; plotted_ < samples.size(); ++plotted_) {
        const LineSample& sample = samples[plotted_];
        const auto errors = sample.correctedErrors;
        const auto fails = sample.linkFailCount;
        addPoint(kSnr, sample.wallTimeMs, sample.snrDb());
        addPoint(kMse, sample.wallTimeMs, sample.mseDb());
        addPoint(kErrors, sample.wallTimeMs,
                 errors ? std::optional<double>(*errors) : std::nullopt);
        addPoint(kFails, sample.wallTimeMs, fails ? std::optional<double>(*fails) : std::nullopt);
    }
    for (; dropsPlotted_ < history_.linkDrops().size(); ++dropsPlotted_)
        addPoint(kDrops, samples[history_.linkDrops()[dropsPlotted_]].wallTimeMs, kDropRow);
    for (; sidesPlotted_ < history_.sideChanges().size(); ++sidesPlotted_)
        addPoint(kSides, samples[history_.sideChanges()[sidesPlotted_]].wallTimeMs, kSideRow);
    for (int i = kSnr; i <= kSides; ++i) {
        for (const QPointF& point : points[i]) {
            if (i == kSnr || i == kMse) {
                dbLow_ = anyDb_ ? std::min(dbLow_, point.y()) : point.y();
                dbHigh_ = anyDb_ ? std::max(dbHigh_, point.y()) : point.y();
                anyDb_ = true;
            }
            if (i == kErrors)
                errorHigh_ = std::max(errorHigh_, point.y());
            if (i == kFails)
                failHigh_ = std::max(failHigh_, point.y());
        }
        if (!points[i].isEmpty())
            series_[static_cast<std::size_t>(i)]->append(points[i]);
    }
    rescale();
}

void LineHistoryWindow::rescale() {
    const auto& samples = history_.samples();
    const qint64 first = samples.empty() ? platform::wallTimeMs() : samples.front().wallTimeMs;
    const qint64 last = samples.empty() ? first : samples.back().wallTimeMs;
    const QDateTime from = QDateTime::fromMSecsSinceEpoch(first);
    const QDateTime to = QDateTime::fromMSecsSinceEpoch(std::max(last, first + kMinimumSpanMs));
    for (QDateTimeAxis* time : {lineTime_, errorTime_}) {
        time->setRange(from, to);
        time->setFormat(last - first < 10 * kMinimumSpanMs ? "hh:mm:ss" : "hh:mm");
    }
    dbAxis_->setRange(anyDb_ ? std::floor(dbLow_) - 2 : 0, anyDb_ ? std::ceil(dbHigh_) + 2 : 50);
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
    const std::optional<std::string> path = platform::askSaveFileName(
        this, "Export CSV", suggestedFileName(history_), "CSV files (*.csv)");
    if (!path)
        return;
    if (!platform::writeWholeFile(*path, monitor::lineHistoryCsv(history_, localIsoTime)))
        platform::messageBox(this, "The history could not be saved to\n" + *path);
}
