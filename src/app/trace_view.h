#pragma once

#include <QAbstractScrollArea>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// The trace window's text control: a read-only, non-wrapping view of a log that only grows.
// It keeps the text once, with the start of every line, so appending costs the same however
// long the log is and a long run does not fill the memory with per-line layouts. The user can
// scroll, select (mouse, Shift with the arrow and page keys, Ctrl+A) and copy (Ctrl+C or the
// context menu).
class TraceView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit TraceView(QWidget* parent = nullptr);

    // Appends display text: '\n' ends a line, every other byte is one Latin-1 character.
    void append(std::string_view text);
    // Caret at the end, nothing selected, and the view scrolled so the last lines show.
    void showEnd();

    int lineCount() const { return static_cast<int>(lineStarts_.size()); }
    QString line(int index) const;
    // The whole text, lines joined by '\n'.
    QString text() const;

    bool caretAtEnd() const { return caret_ == text_.size(); }
    bool hasSelection() const { return caret_ != anchor_; }
    QString selectedText() const;
    void selectAll();
    void copy() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    int lineHeight() const;
    int visibleLines() const;
    int lineOf(std::size_t offset) const;
    std::size_t lineEnd(int index) const;
    int xOf(std::size_t offset) const;
    std::size_t offsetAt(const QPoint& point) const;
    QString slice(std::size_t from, std::size_t to) const;
    void moveCaret(std::size_t offset, bool keepAnchor);
    bool moveCaretByKey(const QKeyEvent& event);
    void ensureCaretVisible();
    void updateScrollBars();
    void paintLine(QPainter& painter, int index, int y) const;

    std::string text_;
    std::vector<std::size_t> lineStarts_{0};
    int widestLine_ = 0;
    int lastLineWidth_ = 0;
    std::size_t caret_ = 0;
    std::size_t anchor_ = 0;
};
