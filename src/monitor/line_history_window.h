#pragma once

#include "monitor/line_columns.h"
#include "monitor/line_history.h"
#include "pages/page_host.h"

#include <QWidget>
#include <cstddef>
#include <functional>
#include <vector>

class LinePlot;
class QCheckBox;
class QComboBox;
class QLabel;

// The line history of the VDSL Status page, plotted against local time: SNR and MSE in dB with
// the search's pass threshold above, corrected errors per second and the link fail counter below,
// a line per side, a shaded band per Apply, and a summary of the shown range per side. A modeless
// window that only reads the history; it never talks to the unit. While shown it follows every
// new poll at the cost of one column; shown again, it catches up first.
class LineHistoryWindow : public QWidget {
    Q_OBJECT

public:
    using ApplyPeriods = std::function<std::vector<ApplyPeriod>()>;
    // The range choices, in the order of the range box.
    static constexpr std::int64_t kRangesMs[] = {15 * 60000, 3600000, 8 * 3600000, 24 * 3600000};

    LineHistoryWindow(const monitor::LineHistory& history, QWidget* parent,
                      ApplyPeriods applyPeriods = {});

    // Plots the samples the history gained since the last call; nothing while hidden.
    void follow();
    // Asks where to save the history as CSV and writes it there.
    void exportCsv();
    // Shows the wall times [startMs, startMs + spanMs), as a zoom would: Follow goes off.
    void showRange(double startMs, double spanMs);

    const monitor::LineColumns& columns() const { return columns_; }
    LinePlot* signalPlot() const { return signal_; }
    LinePlot* errorPlot() const { return errors_; }
    QComboBox* rangeBox() const { return range_; }
    QCheckBox* followBox() const { return follow_; }
    QString summaryText() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Spreads the history over the columns of the range the controls or the zoom chose.
    void rebuild();
    // The range Follow shows: the chosen span up to the newest poll, or the whole history.
    void followedRange(double& startMs, double& spanMs) const;
    void zoom(double factor, double aroundMs);
    void pan(int columns);
    void stopFollowing();
    void refreshViews();

    const monitor::LineHistory& history_;
    ApplyPeriods applyPeriods_;
    monitor::LineColumns columns_;
    std::size_t added_ = 0; // samples the columns have been given
    double startMs_ = 0, spanMs_ = kRangesMs[1];
    LinePlot* signal_ = nullptr;
    LinePlot* errors_ = nullptr;
    QComboBox* range_ = nullptr;
    QCheckBox* follow_ = nullptr;
    QLabel* summary_ = nullptr;
};
