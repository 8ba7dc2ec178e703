#pragma once

#include "app/about_box.h"
#include "app/config_app.h"
#include "app/trace_window.h"

// The three objects that live for the whole run, made in this order: the trace window, the
// about box and the application object. main() makes them after the QApplication, and they go,
// in reverse order, before it. One set exists at a time.
class ProcessObjects {
public:
    ProcessObjects();
    ~ProcessObjects();
    ProcessObjects(const ProcessObjects&) = delete;
    ProcessObjects& operator=(const ProcessObjects&) = delete;

    CDebugDlg traceWindow;
    CAboutDlg aboutBox;
    CConfigApp app;
};

// The objects of the current run; null when none exists.
CDebugDlg* theTraceWindow();
CAboutDlg* theAboutBox();
CConfigApp* theApp();
