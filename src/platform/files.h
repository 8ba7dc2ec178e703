#pragma once

#include <string>
#include <string_view>

namespace platform {

// Writes the bytes to the file exactly as they are (no line-end conversion), replacing it.
// Returns false when the file cannot be written completely.
bool writeWholeFile(const std::string& path, std::string_view bytes);

} // namespace platform
