#pragma once

#include "platform/window.h"

#include <functional>
#include <string>

namespace platform {

// A modal message box with a single OK button. Returns when the user has closed it. The box
// itself belongs to the window part of the platform layer (installWindowSeams); without it the
// text goes to standard error.
void messageBox(WindowHandle owner, const std::string& text, const std::string& caption);
// Same, with the application's name as caption.
void messageBox(WindowHandle owner, const std::string& text);

// The application's name: the executable's file name without its extension. It is the caption
// of every message box that gives none of its own.
std::string applicationName();

// Tests record boxes instead of showing them.
using MessageBoxHandler =
    std::function<void(WindowHandle owner, const std::string& text, const std::string& caption)>;
void setMessageBoxHandler(MessageBoxHandler handler);

// The application's main window in the framework's sense: the owner of the fatal-error box.
// Start-up designates it (setMainWindow, window part) just before it runs it; null before that
// and after it was destroyed.
WindowHandle mainWindow();

} // namespace platform
