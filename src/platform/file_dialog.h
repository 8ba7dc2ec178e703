#pragma once

#include "platform/files.h"
#include "platform/seams.h"
#include "platform/window.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// Asks the user where to save a file: a modal save dialog over the owner, starting at the
// suggested file name, offering the given filter ("PDF files (*.pdf)"). Returns the chosen path,
// or nothing when the user cancelled.
std::optional<std::string> askSaveFileName(WindowHandle owner, const std::string& caption,
                                           const std::string& suggestedName,
                                           const std::string& filter);

// Tests answer the question instead of showing a dialog. An empty function restores the real one.
void setSaveFileNameHandler(SaveFileNameHandler handler);

// Asks where to save (as askSaveFileName), then writes what contents() gives there; nothing is
// built when the user cancels. A write that fails is reported in a box over the owner:
// "The <what> could not be saved to\n<path>".
void saveToChosenFile(WindowHandle owner, const std::string& caption,
                      const std::string& suggestedName, const std::string& filter,
                      const std::string& what, const std::function<std::string()>& contents);

} // namespace platform
