// Settings files on Linux are UTF-8 with LF line ends: nothing to convert.
#include "platform/SettingsText.h"

namespace tarnwell::platform {

std::string SettingsTextFromFile(const std::string& bytes) { return bytes; }
std::string SettingsTextForFile(const std::string& text) { return text; }

}  // namespace tarnwell::platform
