#pragma once

#include <string>

namespace platform {

// Texts remembered for the user between runs, by key ("report/site"). They live in the user's
// settings, an INI file of organisation "Quillon" and application "Quillon Configurator"
// (~/.config/Quillon/Quillon Configurator.ini, %APPDATA%\Quillon\Quillon Configurator.ini on
// Windows), or in the file that Seams::settingsFile names instead, which tests give each test.

// The text last remembered under key; empty when there is none.
std::string rememberedText(const std::string& key);

void rememberText(const std::string& key, const std::string& text);

} // namespace platform
