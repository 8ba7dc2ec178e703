#include "app/trace_view.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {
constexpr int kMargin = 2; // pixels between the frame and the text
}

TraceView::TraceView(QWidget* parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    // The view still scrolls sideways to follow the caret; it just shows no bar for it.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    updateScrollBars();
}

void TraceView::append(std::string_view text) {
    const QFontMetrics metrics(font());
    std::size_t begin = 0;
    while (begin <= text.size()) {
        const std::size_t newline = text.find('\n', begin);
        const std::size_t end = newline == std::string_view::npos ? text.size() : newline;
        const std::string_view piece = text.substr(begin, end - begin);
        // Widths add up piece by piece, so a line that grows over many appends is not measured
        // again from its start each time.
        lastLineWidth_ += metrics.horizontalAdvance(
            QString::fromLatin1(piece.data(), static_cast<qsizetype>(piece.size())));
        widestLine_ = std::max(widestLine_, lastLineWidth_);
        text_.append(piece);
        if (newline == std::string_view::npos)
            break;
        text_ += '\n';
        lineStarts_.push_back(text_.size());
        lastLineWidth_ = 0;
        begin = newline + 1;
    }
    updateScrollBars();
    viewport()->update();
}

void TraceView::showEnd() {
    moveCaret(text_.size(), false);
    verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

QString TraceView::line(int index) const {
    return slice(lineStarts_[static_cast<std::size_t>(index)], lineEnd(index));
}

QString TraceView::text() const {
    return slice(0, text_.size());
}

QString TraceView::selectedText() const {
    return slice(std::min(caret_, anchor_), std::max(caret_, anchor_));
}

void TraceView::selectAll() {
    anchor_ = 0;
    caret_ = text_.size();
    viewport()->update();
}

void TraceView::copy() const {
    if (hasSelection())
        QApplication::clipboard()->setText(selectedText());
}

int TraceView::lineHeight() const {
    return std::max(1, fontMetrics().height());
}

int TraceView::visibleLines() const {
    return std::max(1, (viewport()->height() - 2 * kMargin) / lineHeight());
}

int TraceView::lineOf(std::size_t offset) const {
    // The caret mostly sits on the last line, where the trace grows: no search for it.
    if (offset >= lineStarts_.back())
        return lineCount() - 1;
    const auto after = std::upper_bound(lineStarts_.begin(), lineStarts_.end(), offset);
    return static_cast<int>(after - lineStarts_.begin()) - 1;
}

// Offset just past the last character of the line (its '\n' or the end of the text).
std::size_t TraceView::lineEnd(int index) const {
    const auto next = static_cast<std::size_t>(index) + 1;
    return next < lineStarts_.size() ? lineStarts_[next] - 1 : text_.size();
}

int TraceView::xOf(std::size_t offset) const {
    const std::size_t start = lineStarts_[static_cast<std::size_t>(lineOf(offset))];
    return fontMetrics().horizontalAdvance(slice(start, offset));
}

std::size_t TraceView::offsetAt(const QPoint& point) const {
    const int row = verticalScrollBar()->value() + (point.y() - kMargin) / lineHeight();
    const int index = std::clamp(row, 0, lineCount() - 1);
    const std::size_t start = lineStarts_[static_cast<std::size_t>(index)];
    const std::size_t end = lineEnd(index);
    const int x = point.x() - kMargin + horizontalScrollBar()->value();
    // The caret goes to the character boundary nearest to the point.
    const QFontMetrics metrics(font());
    std::size_t offset = start;
    int left = 0;
    while (offset < end) {
        const int width = metrics.horizontalAdvance(QChar::fromLatin1(text_[offset]));
        if (x < left + width / 2)
            break;
        left += width;
        ++offset;
    }
    return offset;
}

QString TraceView::slice(std::size_t from, std::size_t to) const {
    return QString::fromLatin1(text_.data() + from, static_cast<qsizetype>(to - from));
}

void TraceView::moveCaret(std::size_t offset, bool keepAnchor) {
    caret_ = std::min(offset, text_.size());
    if (!keepAnchor)
        anchor_ = caret_;
    ensureCaretVisible();
    viewport()->update();
}

void TraceView::ensureCaretVisible() {
    const int row = lineOf(caret_);
    QScrollBar* lines = verticalScrollBar();
    if (row < lines->value())
        lines->setValue(row);
    else if (row >= lines->value() + visibleLines())
        lines->setValue(row - visibleLines() + 1);
    const int x = caret_ == text_.size() ? lastLineWidth_ : xOf(caret_);
    QScrollBar* columns = horizontalScrollBar();
    const int width = viewport()->width() - 2 * kMargin;
    if (x < columns->value())
        columns->setValue(x);
    else if (x >= columns->value() + width) // the caret's own pixel column must show
        columns->setValue(x - width + 1);
}

void TraceView::updateScrollBars() {
    const int rows = visibleLines();
    verticalScrollBar()->setRange(0, std::max(0, lineCount() - rows));
    verticalScrollBar()->setPageStep(rows);
    const int width = viewport()->width() - 2 * kMargin;
    horizontalScrollBar()->setRange(0, std::max(0, widestLine_ + 1 - width));
    horizontalScrollBar()->setPageStep(std::max(1, width));
    horizontalScrollBar()->setSingleStep(std::max(1, fontMetrics().averageCharWidth()));
}

void TraceView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void TraceView::paintLine(QPainter& painter, int index, int y) const {
    const std::size_t start = lineStarts_[static_cast<std::size_t>(index)];
    const std::size_t end = lineEnd(index);
    const int x = kMargin - horizontalScrollBar()->value();
    const int baseline = y + fontMetrics().ascent();
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(x, baseline, slice(start, end));

    const std::size_t selectionStart = std::max(std::min(caret_, anchor_), start);
    const std::size_t selectionEnd = std::min(std::max(caret_, anchor_), end);
    if (selectionStart < selectionEnd) {
        const QString selected = slice(selectionStart, selectionEnd);
        const int left = x + fontMetrics().horizontalAdvance(slice(start, selectionStart));
        painter.fillRect(left, y, fontMetrics().horizontalAdvance(selected), lineHeight(),
                         palette().color(QPalette::Highlight));
        painter.setPen(palette().color(QPalette::HighlightedText));
        painter.drawText(left, baseline, selected);
    }
    if (hasFocus() && lineOf(caret_) == index) {
        const int caretX = x + fontMetrics().horizontalAdvance(slice(start, caret_));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawLine(caretX, y, caretX, y + lineHeight() - 1);
    }
}

void TraceView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const int first = verticalScrollBar()->value();
    const int last = std::min(lineCount() - 1, first + visibleLines());
    for (int index = first; index <= last; ++index)
        paintLine(painter, index, kMargin + (index - first) * lineHeight());
}

void TraceView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    moveCaret(offsetAt(event->position().toPoint()), (event->modifiers() & Qt::ShiftModifier) != 0);
}

void TraceView::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) != 0)
        moveCaret(offsetAt(event->position().toPoint()), true);
}

bool TraceView::moveCaretByKey(const QKeyEvent& event) {
    const int row = lineOf(caret_);
    const std::size_t column = caret_ - lineStarts_[static_cast<std::size_t>(row)];
    const auto toRow = [&](int target) {
        const int index = std::clamp(target, 0, lineCount() - 1);
        const std::size_t start = lineStarts_[static_cast<std::size_t>(index)];
        return std::min(start + column, lineEnd(index));
    };
    const bool control = (event.modifiers() & Qt::ControlModifier) != 0;
    std::size_t target = caret_;
    switch (event.key()) {
    case Qt::Key_Left:
        target = caret_ > 0 ? caret_ - 1 : 0;
        break;
    case Qt::Key_Right:
        target = caret_ + 1;
        break;
    case Qt::Key_Up:
        target = toRow(row - 1);
        break;
    case Qt::Key_Down:
        target = toRow(row + 1);
        break;
    case Qt::Key_PageUp:
        target = toRow(row - visibleLines());
        break;
    case Qt::Key_PageDown:
        target = toRow(row + visibleLines());
        break;
    case Qt::Key_Home:
        target = control ? 0 : lineStarts_[static_cast<std::size_t>(row)];
        break;
    case Qt::Key_End:
        target = control ? text_.size() : lineEnd(row);
        break;
    default:
        return false;
    }
    moveCaret(target, (event.modifiers() & Qt::ShiftModifier) != 0);
    return true;
}

void TraceView::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (!moveCaretByKey(*event)) {
        event->ignore(); // Escape and Enter go on to the dialog
        return;
    }
    event->accept();
}

void TraceView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copyAction = menu.addAction(QStringLiteral("Copy"), this, [this] { copy(); });
    copyAction->setEnabled(hasSelection());
    menu.addAction(QStringLiteral("Select All"), this, [this] { selectAll(); });
    menu.exec(event->globalPos());
}

void TraceView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TraceView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}
