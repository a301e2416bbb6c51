// Building desktop entry text: the general string escapes first, and for
// Exec the quoting rules beneath them.
#include "sysinfo/posix/DesktopEntry.h"

#include <cstring>

#include "platform/PathNames.h"

namespace tarnwell {
namespace {

// Characters that make an Exec argument need quotes.
constexpr const char* ReservedInExec = " \t\n\"'\\><~|&;$*?#()`";
// Characters escaped with a backslash inside a quoted Exec argument.
constexpr const char* EscapedInQuotes = "\"`$\\";

bool IsAllowedControl(unsigned char c) { return c == '\t' || c == '\n' || c == '\r'; }

// The length of the multi-byte UTF-8 character at `i` (its lead byte at
// least 0x80): 0 when it is malformed, overlong, a surrogate, past U+10FFFF
// or a C1 control.
std::size_t MultiByteLength(const std::string& text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = 0;
  unsigned int codePoint = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    codePoint = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    codePoint = lead & 0x07;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return 0;
    codePoint = (codePoint << 6) | (next & 0x3F);
  }
  if (length == 3 && (codePoint < 0x800 || (codePoint >= 0xD800 && codePoint <= 0xDFFF))) return 0;
  if (length == 4 && (codePoint < 0x10000 || codePoint > 0x10FFFF)) return 0;
  if (codePoint >= 0x80 && codePoint <= 0x9F) return 0;  // C1 controls
  return length;
}

// Well-formed UTF-8 (no overlong forms, surrogates or values past U+10FFFF)
// without control characters other than those that have escapes.
bool IsWritableText(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      if ((lead < 0x20 && !IsAllowedControl(lead)) || lead == 0x7F) return false;
      ++i;
      continue;
    }
    const std::size_t length = MultiByteLength(text, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

// The folder part of `path`, closing "/" included; empty without one.
std::string FolderPart(const std::string& path) {
  const std::string folder = platform::ParentPath(path);
  return folder.empty() ? folder : platform::JoinPath(folder, "");
}

}  // namespace

std::string ExecArgument(const std::string& argument) {
  const bool quoted =
      argument.empty() || argument.find_first_of(ReservedInExec) != std::string::npos;
  std::string result;
  if (quoted) result += '"';
  for (const char c : argument) {
    if (c == '%') {
      result += "%%";
      continue;
    }
    if (quoted && std::strchr(EscapedInQuotes, c) != nullptr) result += '\\';
    result += c;
  }
  if (quoted) result += '"';
  return result;
}

std::string ValueText(const std::string& value) {
  const std::size_t first = value.find_first_not_of(' ');
  const std::size_t last = value.find_last_not_of(' ');
  std::string result;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    switch (c) {
      case '\\':
        result += "\\\\";
        break;
      case '\n':
        result += "\\n";
        break;
      case '\t':
        result += "\\t";
        break;
      case '\r':
        result += "\\r";
        break;
      case ' ':
        if (first == std::string::npos || i < first || i > last) {
          result += "\\s";
        } else {
          result += ' ';
        }
        break;
      default:
        result += c;
    }
  }
  return result;
}

std::optional<std::string> DesktopEntryText(const std::string& targetPath,
                                            const std::string& description) {
  if (targetPath.empty() || !IsWritableText(targetPath) || !IsWritableText(description)) {
    return std::nullopt;
  }
  std::string text = "[Desktop Entry]\n";
  text += "Type=Application\n";
  text += "Version=1.4\n";
  text += "Name=" + ValueText(description) + "\n";
  text += "Comment=" + ValueText(description) + "\n";
  text += "Exec=" + ValueText(ExecArgument(targetPath)) + "\n";
  if (const std::string folder = FolderPart(targetPath); !folder.empty()) {
    text += "Path=" + ValueText(folder) + "\n";
  }
  text += std::string("Icon=") + ProgramIconName + "\n";
  text += "Terminal=false\n";
  text += "Categories=System;\n";
  return text;
}

}  // namespace tarnwell
