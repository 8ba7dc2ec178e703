#pragma once

#include "monitor/line_columns.h"
#include "pages/page_host.h"

#include <QColor>
#include <QString>
#include <QWidget>
#include <cstddef>
#include <optional>
#include <vector>

// One chart of the line history window: the lines of the shown range drawn column by column from
// the window's columns, under a shaded band per Apply, with a value axis on the left and maybe
// one on the right, local time along the bottom and the reading nearest the pointer beside it.
// The wheel and the keys + and - ask for a zoom, dragging and the arrow keys for a pan; the
// window decides.
class LinePlot : public QWidget {
    Q_OBJECT

public:
    struct Line {
        std::size_t line; // monitor::lineOf
        QString name;     // in the legend
        QString reading;  // in the readout: "SNR", with unit after the value
        QString unit;
        QColor colour;
        bool rightAxis = false;
    };
    struct Axis {
        QString title;
        bool fromZero = false;
        double leastHigh = 1; // the top of the axis when no value is higher
    };

    LinePlot(const monitor::LineHistory& history, const monitor::LineColumns& columns,
             std::vector<Line> lines, Axis left, std::optional<Axis> right, QWidget* parent);

    // A dashed line at value on the left axis, named in the legend.
    void setThreshold(double value, const QString& name);
    // Link drops and side changes marked along the bottom.
    void setMarks(bool on) { marks_ = on; }
    void setApplyPeriods(const std::vector<ApplyPeriod>& periods) { periods_ = periods; }
    // Fits the value axes to what the columns hold and repaints.
    void refresh();

    // The width in pixels the plot area has at the plot's present size: one column per pixel.
    int plotWidth() const;
    double xOf(double wallTimeMs) const;
    double yOf(double value, bool rightAxis) const;
    // What the readout beside the pointer says; empty when it shows nothing.
    const QString& readout() const { return readout_; }
    // Names of the legend's entries, as shown.
    QStringList legend() const;

signals:
    // factor < 1 zooms in, keeping aroundMs where it is.
    void zoomRequested(double factor, double aroundMs);
    // Moves the range by columns (positive: later).
    void panRequested(int columns);
    void plotWidthChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Scale {
        double low = 0, high = 1, step = 1;
    };
    struct Legend {
        QString name;
        QColor colour;
        int kind; // 0 line, 1 dashed, 2 band, 3 triangle, 4 square
    };

    // The plot area, kept from the last refresh or resize: every point drawn asks for it.
    QRect plotArea() const { return area_; }
    QRect computeArea() const;
    int sideMargin() const;
    std::vector<Legend> legendEntries() const;
    Scale fit(bool rightAxis, const Axis& axis) const;
    double timeAt(double x) const;
    void updateReadout(QPointF at);

    void drawBands(QPainter& painter, const QRect& area) const;
    void drawGrid(QPainter& painter, const QRect& area) const;
    void drawLine(QPainter& painter, const Line& line) const;
    void drawMarks(QPainter& painter, const QRect& area) const;
    void drawAxes(QPainter& painter, const QRect& area) const;
    void drawLegend(QPainter& painter) const;
    void drawReadout(QPainter& painter, const QRect& area) const;

    const monitor::LineHistory& history_;
    const monitor::LineColumns& columns_;
    std::vector<Line> lines_;
    Axis leftAxis_;
    std::optional<Axis> rightAxis_;
    Scale left_, right_;
    std::optional<double> threshold_;
    QString thresholdName_;
    bool marks_ = false;
    std::vector<ApplyPeriod> periods_;
    QString readout_;
    QPointF readoutPoint_;
    QColor readoutColour_;
    std::optional<double> dragX_;
    QRect area_;
};
