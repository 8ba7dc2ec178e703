#pragma once

#include "platform/window.h"

#include <memory>
#include <string>

class QMessageBox;

namespace platform {

// The window part's entries of the platform seams: the real message box and the real window
// timers. The program installs them at start-up, the test runner before its tests.
void installWindowSeams();

// The box that messageBox shows, built but not yet shown (the screenshots tool renders it).
std::unique_ptr<QMessageBox> makeMessageBox(WindowHandle owner, const std::string& text,
                                            const std::string& caption);

// Designates the main window (see mainWindow); it is forgotten when it is destroyed.
void setMainWindow(WindowHandle window);

} // namespace platform
