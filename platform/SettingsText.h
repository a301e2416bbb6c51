// The bytes of the settings file. Inside, settings are UTF-8 with LF line
// ends; on Windows the file holds what the system's private-profile
// functions write on a Japanese system: code page 932 (the ANSI code page),
// CR LF, no BOM. Elsewhere the file is the UTF-8 text itself. A file that
// starts with a byte-order mark is read as the mark says on either system
// (IniFile takes care of that before these are asked).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwell::platform {

std::string SettingsTextFromFile(const std::string& bytes);
// On Windows a text that code page 932 cannot hold whole (a folder name in
// another script) is written as UTF-16LE with a BOM instead, which the
// system's own functions read too: the file never loses a character.
std::string SettingsTextForFile(const std::string& text);

// How many bytes of the UTF-8 `text` fit into `limit` bytes of the file's
// own encoding (code page 932 on Windows, UTF-8 elsewhere), as a reader of
// that many bytes returns them; never ends inside a character.
std::size_t SettingsTextFit(std::string_view text, std::size_t limit);

}  // namespace tarnwell::platform
