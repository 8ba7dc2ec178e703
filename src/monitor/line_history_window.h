#pragma once

#include "monitor/line_history.h"

#include <QList>
#include <QPointF>
#include <QWidget>
#include <array>
#include <cstddef>
#include <string_view>
#include <vector>

class QChart;
class QDateTimeAxis;
class QValueAxis;
class QXYSeries;

// The line history of the VDSL Status page, plotted against time: SNR and MSE in dB above,
// corrected errors and the link fail counter below, link drops and side changes marked along the
// bottom of the upper chart. A modeless window that only reads the history; it never talks to
// the unit. While shown it follows every new poll; shown again, it catches up first.
class LineHistoryWindow : public QWidget {
    Q_OBJECT

public:
    LineHistoryWindow(const monitor::LineHistory& history, QWidget* parent);

    // Plots the samples the history gained since the last call; nothing while hidden.
    void follow();
    // Asks where to save the history as CSV and writes it there.
    void exportCsv();

    // A plotted series by its legend name ("SNR (dB)", "Link drop", ...); null if none.
    QXYSeries* series(std::string_view name) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    static constexpr std::size_t kSeriesCount = 6;

    QChart* makeChart(const char* title, QDateTimeAxis*& time);
    QXYSeries* addSeries(QChart* chart, QXYSeries* series, const char* name, QValueAxis* axis,
                         QDateTimeAxis* time);
    // The points of the samples, link drops and side changes not plotted yet, by series.
    void collectPoints(std::array<QList<QPointF>, kSeriesCount>& points);
    void widenRanges(const std::array<QList<QPointF>, kSeriesCount>& points);
    void rescaleTime();
    void rescaleValues();

    const monitor::LineHistory& history_;
    std::size_t plotted_ = 0;     // samples plotted so far
    std::size_t dropsMarked_ = 0; // link drops and side changes marked so far
    std::size_t sidesMarked_ = 0;
    std::vector<QXYSeries*> series_;
    QDateTimeAxis* lineTime_ = nullptr;
    QDateTimeAxis* errorTime_ = nullptr;
    QValueAxis* dbAxis_ = nullptr;
    QValueAxis* errorAxis_ = nullptr;
    QValueAxis* failAxis_ = nullptr;
    // The span of the values plotted, for the axes.
    double dbLow_ = 0, dbHigh_ = 0;
    double errorHigh_ = 0, failHigh_ = 0;
    bool anyDb_ = false;
};
