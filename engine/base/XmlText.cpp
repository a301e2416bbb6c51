// Text for XHTML, character by character.
#include "engine/base/XmlText.h"

#include <cstdio>

#include "engine/base/Utf8.h"

namespace tarnwell {

std::string XmlText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = byte(i);
    std::size_t length = Utf8SequenceLength(text, i);
    // U+FFFE and U+FFFF are not XML characters.
    if (length == 3 && lead == 0xEF && byte(i + 1) == 0xBF && byte(i + 2) >= 0xBE) length = 0;
    if (length == 0) {
      out += "\xEF\xBF\xBD";  // U+FFFD
      ++i;
      continue;
    }
    if (length > 1) {
      // Shown as the table shows it, so that it cannot turn the text around.
      if (const char32_t control = BidiControlAt(text, i); control != 0) {
        char escaped[12];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(control));
        out += escaped;
      } else {
        out.append(text, i, length);
      }
      i += length;
      continue;
    }
    const char c = text[i++];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        if (lead < 0x20 && c != '\t' && c != '\n' && c != '\r') {
          out += "\xEF\xBF\xBD";
        } else {
          out += c;
        }
    }
  }
  return out;
}

}  // namespace tarnwell
