// Recognising well-formed UTF-8.
#include "engine/base/Utf8.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tarnwell {

// Length of the well-formed UTF-8 sequence at `at`, or 0 when the byte there
// does not start one (overlong forms, surrogates and code points above
// U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

bool IsUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    // Eight ASCII bytes at a time.
    std::uint64_t word = 0;
    if (i + 8 <= text.size() &&
        (std::memcpy(&word, text.data() + i, 8), (word & 0x8080808080808080) == 0)) {
      i += 8;
      continue;
    }
    if (static_cast<unsigned char>(text[i]) < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

char32_t BidiControlAt(const std::string& text, std::size_t at) {
  const std::size_t length = Utf8SequenceLength(text, at);
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
  if (length == 2 && byte(0) == 0xD8 && byte(1) == 0x9C) return U'\u061C';
  if (length != 3 || byte(0) != 0xE2) return 0;
  const char32_t point = 0x2000 + ((byte(1) & 0x3Fu) << 6) + (byte(2) & 0x3Fu);
  const bool control = point == 0x200E || point == 0x200F || (point >= 0x202A && point <= 0x202E) ||
                       (point >= 0x2066 && point <= 0x2069);
  return control ? point : 0;
}

std::string PrintableText(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  char escaped[12];
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const std::size_t length = Utf8SequenceLength(text, i);
    if (length > 1) {
      // U+0080..U+009F: C1 controls, CSI among them.
      if (byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0) {
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(text[i + 1]));
        out += escaped;
      } else if (const char32_t control = BidiControlAt(text, i); control != 0) {
        std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(control));
        out += escaped;
      } else {
        out.append(text, i, length);
      }
      i += length;
      continue;
    }
    ++i;
    if (length == 1 && byte >= 0x20 && byte != 0x7F) {
      out += static_cast<char>(byte);
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else {
      std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
      out += escaped;
    }
  }
  return out;
}

}  // namespace tarnwell
