#include "app/main_window_handle.h"

#include "app/process_objects.h"

void setMainWndHandle(platform::WindowHandle window) {
    if (CConfigApp* app = theApp())
        app->mainWndHandle = window;
}

void OnMainWindowDestroy() {
    setMainWndHandle(nullptr);
}
