#pragma once

#include "platform/window.h"

// The main window (main sheet or mode dialog) records its handle in the application object at
// the end of its initialisation, which turns on the Alt key for the trace window.
void setMainWndHandle(platform::WindowHandle window);

// Destroy handling shared by the main sheet and the mode dialog: the handle goes back to 0.
void OnMainWindowDestroy();
