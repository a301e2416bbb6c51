// Settings files on Linux are UTF-8 with LF line ends: nothing to convert.
#include "platform/SettingsText.h"

namespace tarnwell::platform {

std::string SettingsTextFromFile(const std::string& bytes) { return bytes; }
std::string SettingsTextForFile(const std::string& text) { return text; }

std::size_t SettingsTextFit(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  // Back to the start of the UTF-8 character the limit falls in.
  std::size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

}  // namespace tarnwell::platform
