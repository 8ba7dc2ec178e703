#include "app/trace_window.h"

#include "app/trace_view.h"
#include "platform/clock.h"
#include "platform/file_dialog.h"
#include "platform/journal.h"
#include "platform/local_time.h"
#include "platform/trace.h"
#include "res/control_ids.h"
#include "res/templates.h"

#include <QKeyEvent>
#include <QPushButton>

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
    // The template's edit control is shown by a view made for a log that only grows.
    view_ = new TraceView(this);
    if (QWidget* edit = controls_.replace(res::ids::trace::kText, view_)) {
        view_->setGeometry(edit->geometry());
        delete edit;
    }
    insertIntoControl(traceText);
    showEnd();
    connect(control<QPushButton>(res::ids::trace::kSave), &QPushButton::clicked, this,
            &CDebugDlg::OnSave);
    platform::setTraceSink([this](std::string_view text) { append(text); });
    return true;
}

void CDebugDlg::AppendTrace(const char* text) {
    append(text != nullptr ? std::string_view(text) : std::string_view());
}

void CDebugDlg::append(std::string_view text) {
    // The trace is a zero-terminated text: whatever follows a zero byte is not part of it.
    text = text.substr(0, text.find('\0'));
    traceText.append(text);
    platform::journalAppend(platform::JournalFile::Trace, text);
    insertIntoControl(text);
    showEnd();
}

// Only the new text goes to the control, so an append costs the same at any length of trace.
void CDebugDlg::insertIntoControl(std::string_view text) {
    if (view_ != nullptr)
        view_->append(traceDisplayText(text, pendingCarriageReturn_));
}

void CDebugDlg::showEnd() {
    if (view_ != nullptr)
        view_->showEnd();
}

void CDebugDlg::showTrace() {
    if (isVisible())
        return;
    show();
    raise();
    activateWindow();
}

void CDebugDlg::OnSave() {
    const std::string name =
        "trace-" + platform::fileNameStamp(platform::localCivilTime(platform::wallTimeMs())) +
        ".txt";
    platform::saveToChosenFile(this, "Save Trace", name, "Text files (*.txt);;All files (*)",
                               "trace", [this] { return traceText; });
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
