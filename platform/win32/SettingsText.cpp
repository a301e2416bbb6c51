// Settings files on Windows: the ANSI code page (932 on a Japanese system)
// and CR LF, as the private-profile functions write them.
#include "platform/SettingsText.h"

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {

std::string SettingsTextFromFile(const std::string& bytes) { return win32::Utf8FromAnsi(bytes); }

std::string SettingsTextForFile(const std::string& text) {
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
    crlf += text[i];
  }
  return win32::AnsiFromUtf8(crlf);
}

}  // namespace tarnwell::platform
