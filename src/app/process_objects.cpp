#include "app/process_objects.h"

namespace {
ProcessObjects* g_current = nullptr;
}

ProcessObjects::ProcessObjects() : app(traceWindow) {
    g_current = this;
}

ProcessObjects::~ProcessObjects() {
    if (g_current == this)
        g_current = nullptr;
}

CDebugDlg* theTraceWindow() {
    return g_current != nullptr ? &g_current->traceWindow : nullptr;
}

CAboutDlg* theAboutBox() {
    return g_current != nullptr ? &g_current->aboutBox : nullptr;
}

CConfigApp* theApp() {
    return g_current != nullptr ? &g_current->app : nullptr;
}
