#pragma once

#include "platform/dialog_host.h"

#include <string>
#include <string_view>

class TraceView;

// The trace window: a plain text log of everything that passes over the console and of the
// procedures' progress lines. One per process; it collects text whether visible or not, and
// the Alt key in the main window brings it up (CConfigApp's message filter). Cancel, Escape
// and Enter hide it again.
class CDebugDlg : public platform::DialogWindow {
public:
    CDebugDlg();
    ~CDebugDlg() override;

    // Builds the window from its template, hidden, with no parent and no owner, and makes it the
    // process's trace sink. Constructing the object makes no window; this does, once.
    bool Create();

    // Appends text (a null text appends nothing) and shows the end of the trace with the caret
    // there and nothing selected. Costs the same however long the trace already is.
    void AppendTrace(const char* text);

    // Shows the window as it is; a visible window does not change.
    void showTrace();

    // Save...: asks where, then writes traceText to that file byte for byte, as the console and
    // the procedures gave it (line ends, echoes and side-switch bytes included).
    void OnSave();

    // All text appended since the process started, in order; never trimmed.
    std::string traceText;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void append(std::string_view text);
    void insertIntoControl(std::string_view text);
    void showEnd();

    TraceView* view_ = nullptr;
    bool created_ = false;
    bool pendingCarriageReturn_ = false;
};

// What the trace control shows of a piece of console text: a "\r\n" pair ends a line, while a
// lone carriage return or line feed (the console echoes the bare "\n" of each command) and other
// control characters but tab are not shown. pendingCarriageReturn carries a carriage return that
// ended the previous piece, so a pair split over two appends still ends one line.
std::string traceDisplayText(std::string_view text, bool& pendingCarriageReturn);
