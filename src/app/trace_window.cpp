#include "app/trace_window.h"

#include "platform/trace.h"
#include "res/templates.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace {
constexpr int kTraceControl = 1009;
}

std::string traceDisplayText(std::string_view text, bool& pendingCarriageReturn) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const bool pairEnds = pendingCarriageReturn && c == '\n';
        pendingCarriageReturn = c == '\r';
        if (pairEnds)
            out += '\n';
        else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
            out += c;
    }
    return out;
}

CDebugDlg::CDebugDlg() = default;

CDebugDlg::~CDebugDlg() {
    if (created_)
        platform::setTraceSink({});
}

bool CDebugDlg::Create() {
    if (created_)
        return true;
    created_ = true;
    controls_ = res::buildDialog(res::kTraceWindow, *this);
    edit_ = control<QPlainTextEdit>(kTraceControl);
    insertIntoControl(traceText);
    showEnd();
    platform::setTraceSink([this](std::string_view text) { append(text); });
    return edit_ != nullptr;
}

void CDebugDlg::AppendTrace(const char* text) {
    append(text != nullptr ? std::string_view(text) : std::string_view());
}

void CDebugDlg::append(std::string_view text) {
    // The trace is a zero-terminated text: whatever follows a zero byte is not part of it.
    text = text.substr(0, text.find('\0'));
    traceText.append(text);
    insertIntoControl(text);
    showEnd();
}

// Only the new text goes to the control, so an append costs the same at any length of trace.
void CDebugDlg::insertIntoControl(std::string_view text) {
    if (edit_ == nullptr)
        return;
    const std::string display = traceDisplayText(text, pendingCarriageReturn_);
    if (display.empty())
        return;
    QTextCursor end(edit_->document());
    end.movePosition(QTextCursor::End);
    // Console bytes are shown one character each, whatever they are.
    end.insertText(QString::fromLatin1(display.data(), static_cast<qsizetype>(display.size())));
}

void CDebugDlg::showEnd() {
    if (edit_ == nullptr)
        return;
    QTextCursor caret = edit_->textCursor();
    caret.movePosition(QTextCursor::End);
    edit_->setTextCursor(caret);
    edit_->ensureCursorVisible();
    // Making the caret's line visible may leave it one line short of the bottom of the view.
    QScrollBar* lines = edit_->verticalScrollBar();
    lines->setValue(lines->maximum());
}

void CDebugDlg::showTrace() {
    if (isVisible())
        return;
    show();
    raise();
    activateWindow();
}

void CDebugDlg::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Enter gives the OK command, which hides the window like Cancel. The control is read-only,
    // so taking its text back into traceText would leave it as it is: nothing to transfer.
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        OnOK();
        return;
    }
    platform::DialogWindow::keyPressEvent(event);
}
