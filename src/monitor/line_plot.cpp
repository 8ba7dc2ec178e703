#include "monitor/line_plot.h"

#include "platform/local_time.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

using monitor::LineSide;

namespace {

constexpr qint64 kMinuteMs = 60000;
// Steps of the time axis, in minutes; the smallest that leaves room for its labels is taken.
constexpr std::array<qint64, 16> kTimeStepsMinutes = {
    1, 2, 5, 10, 15, 30, 60, 120, 180, 360, 720, 1440, 2880, 4320, 10080, 20160};
const QColor kBandColour(255, 226, 150, 150);
const QColor kThresholdColour(0, 110, 40);
const QColor kDropColour(Qt::red);
const QColor kSideColour(230, 120, 0);
const QColor kGridColour(225, 225, 225);

double niceStep(double rough) {
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double step : {1.0, 2.0, 2.5, 5.0})
        if (step * power >= rough)
            return step * power;
    return 10 * power;
}

QString clockText(double wallTimeMs, bool withDate, bool withSeconds) {
    const auto ms = static_cast<std::int64_t>(wallTimeMs);
    const platform::CivilTime t = platform::localCivilTime(ms);
    char text[32];
    if (withDate)
        std::snprintf(text, sizeof text, "%02d/%02d %02d:%02d", t.day, t.month, t.hour, t.minute);
    else if (withSeconds)
        std::snprintf(text, sizeof text, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    else
        std::snprintf(text, sizeof text, "%02d:%02d", t.hour, t.minute);
    return QString::fromLatin1(text);
}

// As many decimals as the step needs: 0.25 steps read 0.25, 0.50, 2.5 steps 2.5, 5.0.
QString valueText(double value, double step) {
    int decimals = 0;
    while (decimals < 3 && std::abs(step * std::pow(10, decimals) -
                                    std::round(step * std::pow(10, decimals))) > 1e-6)
        ++decimals;
    return QString::number(value, 'f', decimals);
}

} // namespace

LinePlot::LinePlot(const monitor::LineHistory& history, const monitor::LineColumns& columns,
                   std::vector<Line> lines, Axis left, std::optional<Axis> right, QWidget* parent)
    : QWidget(parent), history_(history), columns_(columns), lines_(std::move(lines)),
      leftAxis_(std::move(left)), rightAxis_(std::move(right)) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumHeight(180);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LinePlot::setThreshold(double value, const QString& name) {
    threshold_ = value;
    thresholdName_ = name;
}

int LinePlot::sideMargin() const {
    const QFontMetrics metrics = fontMetrics();
    return metrics.horizontalAdvance(QStringLiteral("-000.0")) + 2 * metrics.height();
}

int LinePlot::plotWidth() const {
    return std::max(1, width() - 2 * sideMargin());
}

QRect LinePlot::computeArea() const {
    const QFontMetrics metrics = fontMetrics();
    // The legend wraps over as many rows as it needs.
    int rows = 1, x = 0;
    for (const Legend& entry : legendEntries()) {
        const int w = 30 + metrics.horizontalAdvance(entry.name);
        if (x > 0 && x + w > width() - 2 * sideMargin()) {
            ++rows;
            x = 0;
        }
        x += w;
    }
    const int top = rows * metrics.height() + metrics.height() / 2 + 4;
    const int bottom = 2 * metrics.height();
    return QRect(sideMargin(), top, plotWidth(), std::max(1, height() - top - bottom));
}

double LinePlot::xOf(double wallTimeMs) const {
    return plotArea().left() + (wallTimeMs - columns_.startMs()) / columns_.columnMs();
}

double LinePlot::timeAt(double x) const {
    return columns_.startMs() + (x - plotArea().left()) * columns_.columnMs();
}

double LinePlot::yOf(double value, bool rightAxis) const {
    const Scale& scale = rightAxis ? right_ : left_;
    const QRect area = plotArea();
    return area.bottom() + 1 - (value - scale.low) / (scale.high - scale.low) * area.height();
}

LinePlot::Scale LinePlot::fit(bool rightAxis, const Axis& axis) const {
    bool any = false;
    double low = 0, high = 0;
    for (const Line& line : lines_) {
        if (line.rightAxis != rightAxis)
            continue;
        for (int c = 0; c < columns_.count(); ++c) {
            const monitor::ColumnSpan& span = columns_.span(line.line, c);
            if (!span.any)
                continue;
            low = any ? std::min<double>(low, span.low) : span.low;
            high = any ? std::max<double>(high, span.high) : span.high;
            any = true;
        }
    }
    if (!rightAxis && threshold_) {
        low = any ? std::min(low, *threshold_) : *threshold_;
        high = any ? std::max(high, *threshold_) : *threshold_;
        any = true;
    }
    if (axis.fromZero || !any)
        low = std::min(0.0, low);
    high = std::max({high, axis.fromZero ? axis.leastHigh : high, low + axis.leastHigh});
    if (!axis.fromZero) { // room above and below the lines
        const double pad = std::max(1.0, (high - low) * 0.08);
        low -= pad;
        high += pad;
    }
    Scale scale;
    scale.step = niceStep((high - low) / 4);
    scale.low = std::floor(low / scale.step) * scale.step;
    scale.high = std::ceil(high / scale.step) * scale.step;
    if (scale.high <= scale.low)
        scale.high = scale.low + scale.step;
    return scale;
}

void LinePlot::refresh() {
    area_ = computeArea();
    left_ = fit(false, leftAxis_);
    if (rightAxis_)
        right_ = fit(true, *rightAxis_);
    update();
}

std::vector<LinePlot::Legend> LinePlot::legendEntries() const {
    std::vector<Legend> entries;
    // A line with no reading in the shown range has no entry.
    for (const Line& line : lines_)
        if (columns_.anyIn(line.line))
            entries.push_back({line.name, line.colour, 0});
    if (threshold_)
        entries.push_back({thresholdName_, kThresholdColour, 1});
    const double start = columns_.startMs(), end = columns_.endMs();
    if (std::ranges::any_of(periods_, [&](const ApplyPeriod& p) {
            return static_cast<double>(p.endWallMs) >= start &&
                   static_cast<double>(p.startWallMs) < end;
        }))
        entries.push_back({QStringLiteral("Apply"), kBandColour, 2});
    if (marks_) {
        entries.push_back({QStringLiteral("Link drop"), kDropColour, 3});
        entries.push_back({QStringLiteral("Side change"), kSideColour, 4});
    }
    return entries;
}

QStringList LinePlot::legend() const {
    QStringList names;
    for (const Legend& entry : legendEntries())
        names << entry.name;
    return names;
}

void LinePlot::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRect area = plotArea();
    painter.fillRect(area, Qt::white);
    drawBands(painter, area);
    drawGrid(painter, area);
    painter.save();
    painter.setClipRect(area);
    // Column by column the lines are mostly straight runs and verticals: crisp without
    // antialiasing, and several times cheaper to paint.
    for (const Line& line : lines_)
        drawLine(painter, line);
    painter.restore();
    if (marks_)
        drawMarks(painter, area);
    drawAxes(painter, area);
    drawLegend(painter);
    drawReadout(painter, area);
    if (hasFocus()) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void LinePlot::drawBands(QPainter& painter, const QRect& area) const {
    for (const ApplyPeriod& period : periods_) {
        const double x0 =
            std::max<double>(area.left(), xOf(static_cast<double>(period.startWallMs)));
        const double x1 =
            std::min<double>(area.right() + 1, xOf(static_cast<double>(period.endWallMs)));
        if (x1 >= x0) // a run shorter than a column still shows
            painter.fillRect(QRectF(x0, area.top(), std::max(1.0, x1 - x0), area.height()),
                             kBandColour);
    }
}

void LinePlot::drawGrid(QPainter& painter, const QRect& area) const {
    painter.setPen(kGridColour);
    for (double v = left_.low + left_.step; v < left_.high - left_.step / 2; v += left_.step)
        painter.drawLine(QPointF(area.left(), yOf(v, false)), QPointF(area.right(), yOf(v, false)));
    if (threshold_) {
        QPen dashed(kThresholdColour, 1, Qt::DashLine);
        painter.setPen(dashed);
        const double y = std::round(yOf(*threshold_, false));
        painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    painter.setPen(Qt::gray);
    painter.drawRect(area.adjusted(0, 0, -1, -1));
}

void LinePlot::drawLine(QPainter& painter, const Line& line) const {
    const QRect area = plotArea();
    painter.setPen(QPen(line.colour, 2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    QPainterPath path;
    std::optional<QPointF> previous;
    for (int c = 0; c < columns_.count(); ++c) {
        const monitor::ColumnSpan& span = columns_.span(line.line, c);
        if (!span.any)
            continue;
        const double x = area.left() + c + 0.5;
        const QPointF first(x, yOf(span.first, line.rightAxis));
        if (span.startsLine || !previous) {
            // A line starts here: a dot, so that a lone poll shows too.
            path.addEllipse(first, 1.2, 1.2);
            path.moveTo(first);
        } else {
            path.moveTo(*previous);
            path.lineTo(first);
        }
        if (span.high > span.low) {
            path.moveTo(x, yOf(span.low, line.rightAxis));
            path.lineTo(x, yOf(span.high, line.rightAxis));
        }
        previous = QPointF(x, yOf(span.last, line.rightAxis));
    }
    painter.drawPath(path);
}

void LinePlot::drawMarks(QPainter& painter, const QRect& area) const {
    const auto& samples = history_.samples();
    const auto mark = [&](const std::vector<std::size_t>& indexes, double rowFromBottom,
                          const QColor& colour, bool triangle) {
        painter.setPen(colour.darker());
        painter.setBrush(colour);
        const auto from = std::ranges::lower_bound(indexes, columns_.startMs(), {}, [&](auto i) {
            return static_cast<double>(samples[i].wallTimeMs);
        });
        double lastX = -1;
        const double y = area.bottom() - rowFromBottom;
        for (auto it = from; it != indexes.end(); ++it) {
            const double x = std::floor(xOf(static_cast<double>(samples[*it].wallTimeMs))) + 0.5;
            if (x > area.right())
                break;
            if (x == lastX) // one mark per column
                continue;
            lastX = x;
            if (triangle)
                painter.drawPolygon(
                    QPolygonF({QPointF(x, y - 5), QPointF(x - 4, y + 3), QPointF(x + 4, y + 3)}));
            else
                painter.drawRect(QRectF(x - 3, y - 3, 6, 6));
        }
    };
    mark(history_.linkDrops(), 6, kDropColour, true);
    mark(history_.sideChanges(), 17, kSideColour, false);
    painter.setBrush(Qt::NoBrush);
}

void LinePlot::drawAxes(QPainter& painter, const QRect& area) const {
    const QFontMetrics metrics = fontMetrics();
    painter.setPen(palette().windowText().color());
    const auto values = [&](const Scale& scale, bool right) {
        for (double v = scale.low; v <= scale.high + scale.step / 2; v += scale.step) {
            const QString text = valueText(v, scale.step);
            const double y = yOf(v, right) + metrics.ascent() / 2.0 - 1;
            const double x =
                right ? area.right() + 5 : area.left() - 5 - metrics.horizontalAdvance(text);
            painter.drawText(QPointF(x, y), text);
        }
    };
    const auto title = [&](const QString& text, bool right) {
        painter.save();
        const double x = right ? width() - metrics.descent() - 2 : metrics.ascent() + 2;
        painter.translate(x, area.center().y() + metrics.horizontalAdvance(text) / 2.0);
        painter.rotate(-90);
        painter.drawText(0, 0, text);
        painter.restore();
    };
    values(left_, false);
    title(leftAxis_.title, false);
    if (rightAxis_) {
        values(right_, true);
        title(rightAxis_->title, true);
    }
    // Local time along the bottom, on whole steps of the local clock.
    const double span = columns_.endMs() - columns_.startMs();
    const bool withDate = span > 24.0 * 3600000;
    const int room = metrics.horizontalAdvance(withDate ? "00/00 00:00" : "00:00") * 2;
    qint64 step = kTimeStepsMinutes.back() * kMinuteMs;
    for (const qint64 minutes : kTimeStepsMinutes)
        if (static_cast<double>(minutes * kMinuteMs) / columns_.columnMs() >= room) {
            step = minutes * kMinuteMs;
            break;
        }
    const auto start = static_cast<qint64>(columns_.startMs());
    const qint64 offset = qint64{platform::localUtcOffsetMinutes(start)} * kMinuteMs;
    for (qint64 t = (start + offset) / step * step - offset;
         static_cast<double>(t) <= columns_.endMs(); t += step) {
        const double x = xOf(static_cast<double>(t));
        if (x < area.left())
            continue;
        painter.setPen(kGridColour);
        painter.drawLine(QPointF(x, area.top() + 1), QPointF(x, area.bottom() - 1));
        painter.setPen(palette().windowText().color());
        painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 3));
        const QString text = clockText(static_cast<double>(t), withDate, false);
        const double w = metrics.horizontalAdvance(text);
        painter.drawText(
            QPointF(std::min(x - w / 2, width() - w - 2), area.bottom() + 4 + metrics.ascent()),
            text);
    }
}

void LinePlot::drawLegend(QPainter& painter) const {
    const QFontMetrics metrics = fontMetrics();
    int x = sideMargin(), y = metrics.height() / 2;
    for (const Legend& entry : legendEntries()) {
        const int w = 30 + metrics.horizontalAdvance(entry.name);
        if (x > sideMargin() && x + w > width() - sideMargin()) {
            x = sideMargin();
            y += metrics.height();
        }
        const double mid = y + metrics.height() / 2.0;
        switch (entry.kind) {
        case 0:
        case 1:
            painter.setPen(QPen(entry.colour, entry.kind == 0 ? 2 : 1,
                                entry.kind == 0 ? Qt::SolidLine : Qt::DashLine));
            painter.drawLine(QPointF(x, mid), QPointF(x + 18, mid));
            break;
        case 2:
            painter.fillRect(QRectF(x, mid - 5, 18, 10), entry.colour);
            break;
        default:
            painter.setPen(entry.colour.darker());
            painter.setBrush(entry.colour);
            if (entry.kind == 3)
                painter.drawPolygon(QPolygonF(
                    {QPointF(x + 9, mid - 5), QPointF(x + 5, mid + 3), QPointF(x + 13, mid + 3)}));
            else
                painter.drawRect(QRectF(x + 6, mid - 3, 6, 6));
            painter.setBrush(Qt::NoBrush);
        }
        painter.setPen(palette().windowText().color());
        painter.drawText(QPointF(x + 22, y + metrics.ascent()), entry.name);
        x += w;
    }
}

void LinePlot::drawReadout(QPainter& painter, const QRect& area) const {
    if (readout_.isEmpty())
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(readoutColour_, 2));
    painter.drawEllipse(readoutPoint_, 4, 4);
    const QFontMetrics metrics = fontMetrics();
    const QSize size(metrics.horizontalAdvance(readout_) + 10, metrics.height() + 6);
    // Beside the point, on whichever side has room, inside the plot.
    double x = readoutPoint_.x() + 10;
    if (x + size.width() > area.right())
        x = readoutPoint_.x() - 10 - size.width();
    const double y = std::clamp<double>(readoutPoint_.y() - size.height() - 6, area.top() + 2,
                                        area.bottom() - size.height() - 2);
    const QRectF box(QPointF(x, y), size);
    painter.setPen(Qt::gray);
    painter.setBrush(QColor(255, 255, 240));
    painter.drawRect(box);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(palette().windowText().color());
    painter.drawText(box, Qt::AlignCenter, readout_);
}

void LinePlot::updateReadout(QPointF at) {
    readout_.clear();
    const auto& samples = history_.samples();
    const QRect area = plotArea();
    if (samples.empty() || !area.contains(at.toPoint())) {
        update();
        return;
    }
    // The polls within a few pixels of the pointer; the nearest drawn point wins.
    constexpr double kReachPx = 24;
    const double from = timeAt(at.x() - kReachPx), to = timeAt(at.x() + kReachPx);
    auto it = std::ranges::lower_bound(samples, from, {}, [](const monitor::LineSample& s) {
        return static_cast<double>(s.wallTimeMs);
    });
    double best = kReachPx * kReachPx;
    // At most a few thousand polls: a pixel of a month-long range holds about a thousand.
    for (int looked = 0; it != samples.end() && looked < 4000; ++it, ++looked) {
        if (static_cast<double>(it->wallTimeMs) > to)
            break;
        for (const Line& line : lines_) {
            const auto quantity = static_cast<monitor::Quantity>(line.line / 2);
            if (monitor::lineOf(quantity, it->side) != line.line)
                continue;
            const std::optional<double> value = monitor::lineValue(*it, quantity);
            if (!value)
                continue;
            const QPointF point(xOf(static_cast<double>(it->wallTimeMs)),
                                yOf(*value, line.rightAxis));
            const double distance =
                std::pow(point.x() - at.x(), 2) + std::pow(point.y() - at.y(), 2);
            if (distance >= best)
                continue;
            best = distance;
            readoutPoint_ = point;
            readoutColour_ = line.colour;
            readout_ =
                clockText(static_cast<double>(it->wallTimeMs), false, true) + "  " +
                monitor::sideName(it->side) + "  " + line.reading + " " +
                QString::number(*value, 'f', quantity == monitor::Quantity::LinkFails ? 0 : 2) +
                line.unit;
        }
    }
    update();
}

void LinePlot::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    area_ = computeArea();
    emit plotWidthChanged();
}

void LinePlot::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches != 0)
        emit zoomRequested(std::pow(0.8, notches), timeAt(event->position().x()));
    event->accept();
}

void LinePlot::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        dragX_ = event->position().x();
}

void LinePlot::mouseMoveEvent(QMouseEvent* event) {
    if (dragX_ && (event->buttons() & Qt::LeftButton) != 0) {
        const int columns = static_cast<int>(*dragX_ - event->position().x());
        if (columns != 0) {
            *dragX_ -= columns;
            emit panRequested(columns);
        }
    }
    updateReadout(event->position());
}

void LinePlot::mouseReleaseEvent(QMouseEvent* /*event*/) {
    dragX_.reset();
}

void LinePlot::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    readout_.clear();
    update();
}

void LinePlot::keyPressEvent(QKeyEvent* event) {
    const double middle = (columns_.startMs() + columns_.endMs()) / 2;
    const int tenth = std::max(1, plotWidth() / 10);
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        emit zoomRequested(0.8, middle);
        break;
    case Qt::Key_Minus:
        emit zoomRequested(1.25, middle);
        break;
    case Qt::Key_Left:
        emit panRequested(-tenth);
        break;
    case Qt::Key_Right:
        emit panRequested(tenth);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}
