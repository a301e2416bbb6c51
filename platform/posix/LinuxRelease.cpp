// Kernel release numbers and os-release values, read the way a POSIX shell
// would read the file's assignments.
#include "platform/posix/LinuxRelease.h"

#include <cstdint>
#include <cstring>
#include <limits>

namespace tarnwell::platform {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// The shell reading of one assignment's value: quotes removed, escapes
// resolved. An unclosed quote takes the rest of the line.
std::string ShellValue(std::string_view raw) {
  std::string value;
  std::size_t i = 0;
  while (i < raw.size()) {
    const char c = raw[i];
    if (c == '\'') {
      const std::size_t close = raw.find('\'', i + 1);
      const std::size_t end = close == std::string_view::npos ? raw.size() : close;
      value.append(raw.substr(i + 1, end - i - 1));
      i = end + 1;
    } else if (c == '"') {
      ++i;
      while (i < raw.size() && raw[i] != '"') {
        // Inside double quotes a backslash only escapes these four.
        if (raw[i] == '\\' && i + 1 < raw.size() && std::strchr("$`\"\\", raw[i + 1]) != nullptr) {
          ++i;
        }
        value += raw[i];
        ++i;
      }
      ++i;  // the closing quote
    } else if (c == '\\' && i + 1 < raw.size()) {
      value += raw[i + 1];
      i += 2;
    } else if (IsBlank(c)) {
      break;  // an unquoted blank ends the word; what follows is not the value
    } else {
      value += c;
      ++i;
    }
  }
  return value;
}

// Reads a decimal number at `pos`, moving past it; 0 when there is none or
// it does not fit 32 bits.
std::uint32_t ReadNumber(std::string_view text, std::size_t& pos) {
  std::uint64_t value = 0;
  bool fits = true;
  const std::size_t start = pos;
  while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
    value = value * 10 + static_cast<std::uint64_t>(text[pos] - '0');
    if (value > std::numeric_limits<std::uint32_t>::max()) {
      fits = false;
      value = 0;
    }
    ++pos;
  }
  return pos > start && fits ? static_cast<std::uint32_t>(value) : 0;
}

// Length of the longest prefix of `text` of at most `limit` bytes that does
// not end inside a UTF-8 sequence.
std::size_t Utf8Prefix(std::string_view text, std::size_t limit) {
  if (text.size() <= limit) return text.size();
  std::size_t length = limit;
  // Step back over continuation bytes to the start of the cut character.
  while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  return length;
}

}  // namespace

std::string OsReleaseValue(std::string_view text, std::string_view key) {
  std::string found;
  std::size_t lineStart = 0;
  while (lineStart < text.size()) {
    std::size_t lineEnd = text.find('\n', lineStart);
    if (lineEnd == std::string_view::npos) lineEnd = text.size();
    std::string_view line = text.substr(lineStart, lineEnd - lineStart);
    lineStart = lineEnd + 1;

    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos || line.substr(0, equals) != key) continue;
    found = ShellValue(line.substr(equals + 1));
  }
  return found;
}

VersionRecord LinuxVersionRecord(std::string_view kernelRelease, std::string_view prettyName) {
  VersionRecord record;
  record.PlatformId = PlatformLinux;
  std::uint32_t* const numbers[] = {&record.MajorVersion, &record.MinorVersion,
                                    &record.BuildNumber};
  std::size_t pos = 0;
  for (std::uint32_t* number : numbers) {
    *number = ReadNumber(kernelRelease, pos);
    if (pos >= kernelRelease.size() || kernelRelease[pos] != '.') break;
    ++pos;
  }
  const std::size_t length = Utf8Prefix(prettyName, CSDVersionSize - 1);
  prettyName.substr(0, length).copy(record.CSDVersion, length);
  record.CSDVersion[length] = '\0';
  return record;
}

}  // namespace tarnwell::platform
