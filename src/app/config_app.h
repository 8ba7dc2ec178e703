#pragma once

#include "link/console_link.h"
#include "platform/window.h"

#include <QObject>

class CDebugDlg;
class QEvent;

// The application object: start-up, from the port dialog to the end of the main window, and the
// message filter that brings up the trace window with the Alt key.
class CConfigApp : public QObject {
public:
    // Installs the message filter on the application; the trace window is the one it shows.
    explicit CConfigApp(CDebugDlg& traceWindow);
    ~CConfigApp() override;

    // The whole run of the program: true when a main window ran (the process then ends with
    // status 0), false when the unit gave no answer.
    bool startUp();

    // The current main window from the end of its initialisation until its destruction, else
    // null. Read only by the message filter.
    platform::WindowHandle mainWndHandle = nullptr;
    // Used by start-up only; it has no owner window.
    CConsoleLink link;

protected:
    // Shows the trace window when the Alt key is released in the main window or one of its
    // children. Never consumes the event.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool isInMainWindow(const QObject* watched) const;
    void placeTraceWindow();

    CDebugDlg& traceWindow_;
};
