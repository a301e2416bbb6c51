// The bytes of the settings file. Inside, settings are UTF-8 with LF line
// ends; on Windows the file holds what the system's private-profile
// functions write on a Japanese system: code page 932 (the ANSI code page),
// CR LF, no BOM. Elsewhere the file is the UTF-8 text itself.
#pragma once

#include <string>

namespace tarnwell::platform {

std::string SettingsTextFromFile(const std::string& bytes);
std::string SettingsTextForFile(const std::string& text);

}  // namespace tarnwell::platform
