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
  std::string ansi = win32::AnsiFromUtf8(crlf);
  // A character the code page lacks would come back as another one (its
  // default "?" or a look-alike), changing a saved folder into a different
  // path: such a text keeps every character in UTF-16.
  if (win32::Utf8FromAnsi(ansi) == crlf) return ansi;
  const std::wstring wide = win32::Wide(crlf);
  std::string utf16 = "\xFF\xFE";
  utf16.reserve(2 + 2 * wide.size());
  for (const wchar_t unit : wide) {
    utf16 += static_cast<char>(unit & 0xFF);
    utf16 += static_cast<char>((unit >> 8) & 0xFF);
  }
  return utf16;
}

std::size_t SettingsTextFit(std::string_view text, std::size_t limit) {
  // A reader of the ANSI functions counts code-page bytes: one for ASCII and
  // half-width kana, two for the rest of code page 932; never more than
  // the character takes in UTF-8.
  if (text.size() <= limit) return text.size();
  std::size_t used = 0;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t next = at + 1;
    while (next < text.size() && (static_cast<unsigned char>(text[next]) & 0xC0) == 0x80) ++next;
    used += win32::AnsiFromUtf8(text.substr(at, next - at)).size();
    if (used > limit) break;
    at = next;
  }
  return at;
}

}  // namespace tarnwell::platform
