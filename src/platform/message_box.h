#pragma once

#include "platform/window.h"

#include <functional>
#include <memory>
#include <string>

class QMessageBox;

namespace platform {

// A modal message box with a single OK button. Returns when the user has closed it.
void messageBox(WindowHandle owner, const std::string& text, const std::string& caption);
// Same, with the application's name as caption.
void messageBox(WindowHandle owner, const std::string& text);

// The box that messageBox runs, built but not yet shown (the screenshots tool renders it).
std::unique_ptr<QMessageBox> makeMessageBox(WindowHandle owner, const std::string& text,
                                            const std::string& caption);

// The application's name: the executable's file name without its extension. It is the caption
// of every message box that gives none of its own.
std::string applicationName();

// Tests record boxes instead of showing them. An empty function restores the real boxes.
using MessageBoxHandler =
    std::function<void(WindowHandle owner, const std::string& text, const std::string& caption)>;
void setMessageBoxHandler(MessageBoxHandler handler);

// The application's main window in the framework's sense: the owner of the fatal-error box.
// Start-up designates it just before it runs it; null before that and after it was destroyed.
WindowHandle mainWindow();
void setMainWindow(WindowHandle window);

} // namespace platform
