// The INI document: parsing, private-profile lookups and value conversions,
// and the text written back. Portable; saving goes through AtomicFile.
#include "platform/IniFile.h"

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

#include "platform/AtomicFile.h"
#include "platform/SettingsText.h"

namespace tarnwell::platform {
namespace {

// Reads return at most this many bytes of a value in the file's encoding,
// as a 2048-byte buffer with its terminator would.
constexpr std::size_t MaxTextBytes = 2047;

// A UTF-8 path as the standard library's file functions take it, whatever
// the system's own narrow encoding.
std::filesystem::path FileSystemPath(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
// A settings file is a few hundred bytes; anything this large is not ours
// and is left alone rather than read into memory and rewritten.
constexpr std::uintmax_t MaxFileBytes = std::uintmax_t{16} * 1024 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsQuotedPair(std::string_view text) {
  return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
}

// A line end inside a name or value would split it into two lines of the
// file; a NUL would end it early for any C reader. Both become blanks.
std::string WithoutBreaks(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return result;
}

// Surrounding blanks are trimmed and a matching pair of quotes removed when
// a value is read, so a value that starts or ends with either is written in
// quotes to come back unchanged.
std::string EncodeValue(std::string_view value) {
  if (value.empty()) return {};
  if (IsBlank(value.front()) || IsBlank(value.back()) || IsQuotedPair(value)) {
    std::string quoted;
    quoted.reserve(value.size() + 2);
    quoted += '"';
    quoted += value;
    quoted += '"';
    return quoted;
  }
  return std::string(value);
}

// Cuts where a reader of `limit` bytes in the file's own encoding stops.
std::string_view CutText(std::string_view text, std::size_t limit) {
  return text.substr(0, SettingsTextFit(text, limit));
}

// UTF-16 bytes (without their BOM) as UTF-8; an odd last byte is dropped and
// a surrogate without its partner becomes U+FFFD.
std::string Utf8FromUtf16(std::string_view bytes, bool bigEndian) {
  std::string text;
  text.reserve(bytes.size() * 3 / 2);
  auto unitAt = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
  };
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    std::uint32_t code = static_cast<std::uint32_t>(unitAt(i));
    if (code >= 0xD800 && code < 0xDC00 && i + 3 < bytes.size() && unitAt(i + 2) >= 0xDC00 &&
        unitAt(i + 2) < 0xE000) {
      code =
          0x10000 + ((code - 0xD800) << 10) + (static_cast<std::uint32_t>(unitAt(i + 2)) - 0xDC00);
      i += 2;
    } else if (code >= 0xD800 && code < 0xE000) {
      code = 0xFFFD;
    }
    if (code < 0x80) {
      text += static_cast<char>(code);
    } else if (code < 0x800) {
      text += static_cast<char>(0xC0 | code >> 6);
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      text += static_cast<char>(0xE0 | code >> 12);
      text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      text += static_cast<char>(0xF0 | code >> 18);
      text += static_cast<char>(0x80 | (code >> 12 & 0x3F));
      text += static_cast<char>(0x80 | (code >> 6 & 0x3F));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return text;
}

// The file's text as UTF-8. A byte-order mark says how the file is encoded,
// as it does for the system's own profile functions (Notepad saves
// "Unicode" as UTF-16LE with one); without one the bytes are the settings
// file's usual encoding.
std::string TextOfFile(const std::string& bytes) {
  const std::string_view view = bytes;
  if (view.starts_with("\xFF\xFE")) return Utf8FromUtf16(view.substr(2), false);
  if (view.starts_with("\xFE\xFF")) return Utf8FromUtf16(view.substr(2), true);
  if (view.starts_with("\xEF\xBB\xBF")) return bytes;  // Parse drops the mark
  return SettingsTextFromFile(bytes);
}

int DigitValue(char c, int base) {
  int digit;
  if (c >= '0' && c <= '9') {
    digit = c - '0';
  } else if (c >= 'a' && c <= 'f') {
    digit = c - 'a' + 10;
  } else if (c >= 'A' && c <= 'F') {
    digit = c - 'A' + 10;
  } else {
    return -1;
  }
  return digit < base ? digit : -1;
}

// The whole text must be a number: leading blanks, an optional sign, "$" or
// "0x" for hexadecimal, at least one digit, nothing after. The magnitude must
// fit a signed 32-bit value, for hexadecimal as for decimal.
bool ParseInteger(std::string_view text, int& result) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  int base = 10;
  if (!text.empty() && text.front() == '$') {
    base = 16;
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  if (text.empty()) return false;
  const std::int64_t limit = negative ? -static_cast<std::int64_t>(INT_MIN) : INT_MAX;
  std::int64_t magnitude = 0;
  for (const char c : text) {
    const int digit = DigitValue(c, base);
    if (digit < 0) return false;
    magnitude = magnitude * base + digit;
    if (magnitude > limit) return false;
  }
  result = static_cast<int>(negative ? -magnitude : magnitude);
  return true;
}

std::string FormatEntry(std::string_view key, std::string_view value) {
  std::string text(key);
  text += '=';
  text += EncodeValue(value);
  return text;
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {
  namespace fs = std::filesystem;
  Parse({});
  std::error_code error;
  const fs::file_status status = fs::status(FileSystemPath(path_), error);
  if (status.type() == fs::file_type::not_found) return;
  // Only a plain file is read: a pipe or device could block or never end.
  if (error || status.type() != fs::file_type::regular) {
    readStatus_ = Status::Failure(error.value());
    return;
  }
  const std::uintmax_t size = fs::file_size(FileSystemPath(path_), error);
  if (error || size > MaxFileBytes) {
    readStatus_ = Status::Failure(error.value());
    return;
  }
  std::ifstream in(FileSystemPath(path_), std::ios::binary);
  if (!in) {
    readStatus_ = Status::Failure(0);
    return;
  }
  // One byte more than the size, to notice a file that grew meanwhile: its
  // contents are then uncertain and it is better left alone.
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad() || static_cast<std::uintmax_t>(in.gcount()) > size) {
    readStatus_ = Status::Failure(0);
    return;
  }
  text.resize(static_cast<std::size_t>(in.gcount()));
  Parse(TextOfFile(text));
}

IniFile IniFile::FromText(std::string_view text) {
  IniFile file{std::string()};
  file.Parse(text);
  return file;
}

void IniFile::Parse(std::string_view text) {
  sections_.clear();
  // The text is written back without a BOM, so every BOM at the start goes:
  // a second one would otherwise turn into the first on the next read.
  while (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  sections_.push_back(Section{});  // lines before the first header
  std::size_t start = 0;
  while (start < text.size()) {
    // CR LF, LF and a lone CR all end a line.
    std::size_t end = text.find_first_of("\r\n", start);
    std::size_t next;
    if (end == std::string_view::npos) {
      end = text.size();
      next = end;
    } else {
      next = end + 1;
      if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
    }
    const std::string_view raw = text.substr(start, end - start);
    start = next;

    const std::string_view trimmed = Trim(raw);
    if (!trimmed.empty() && trimmed.front() == '[') {
      std::string_view name = trimmed.substr(1);
      name = name.substr(0, name.find(']'));
      Section section;
      section.Name = std::string(Trim(name));
      section.HasHeader = true;
      section.Header = std::string(raw);
      sections_.push_back(std::move(section));
      continue;
    }
    Line line;
    line.Text = std::string(raw);
    const std::size_t equals = trimmed.find('=');
    if (!trimmed.empty() && trimmed.front() != ';' && equals != std::string_view::npos) {
      const std::string_view key = Trim(trimmed.substr(0, equals));
      if (!key.empty()) {
        line.IsEntry = true;
        line.Key = std::string(key);
        line.Value = std::string(Trim(trimmed.substr(equals + 1)));
      }
    }
    sections_.back().Lines.push_back(std::move(line));
  }
}

const IniFile::Section* IniFile::FindSection(std::string_view section) const {
  section = Trim(section);
  for (const Section& candidate : sections_) {
    // Only the first section of a name counts, as with duplicated keys.
    if (candidate.HasHeader && EqualNoCase(candidate.Name, section)) return &candidate;
  }
  return nullptr;
}

IniFile::Section* IniFile::FindSection(std::string_view section) {
  return const_cast<Section*>(std::as_const(*this).FindSection(section));
}

const IniFile::Line* IniFile::Find(std::string_view section, std::string_view key) const {
  const Section* found = FindSection(section);
  if (found == nullptr) return nullptr;
  key = Trim(key);
  for (const Line& line : found->Lines) {
    if (line.IsEntry && EqualNoCase(line.Key, key)) return &line;
  }
  return nullptr;
}

std::optional<std::string> IniFile::Lookup(std::string_view section, std::string_view key) const {
  const Line* line = Find(section, key);
  if (line == nullptr) return std::nullopt;
  std::string_view text = line->Value;
  if (IsQuotedPair(text)) text = text.substr(1, text.size() - 2);
  // A C reader would stop at a NUL; so do we, rather than hand on a text
  // that silently changes meaning when it reaches a system call.
  text = text.substr(0, text.find('\0'));
  return std::string(CutText(text, MaxTextBytes));
}

bool IniFile::IsCut(std::string_view section, std::string_view key) const {
  const Line* line = Find(section, key);
  if (line == nullptr) return false;
  std::string_view text = line->Value;
  if (IsQuotedPair(text)) text = text.substr(1, text.size() - 2);
  text = text.substr(0, text.find('\0'));
  return CutText(text, MaxTextBytes).size() < text.size();
}

std::string IniFile::ReadString(std::string_view section, std::string_view key,
                                std::string_view defaultValue) const {
  if (std::optional<std::string> value = Lookup(section, key)) return *std::move(value);
  return std::string(CutText(defaultValue, MaxTextBytes));
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const std::optional<std::string> text = Lookup(section, key);
  int value = 0;
  if (text && ParseInteger(*text, value)) return value;
  return defaultValue;
}

bool IniFile::ReadBool(std::string_view section, std::string_view key, bool defaultValue) const {
  return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  const std::string sectionName(Trim(WithoutBreaks(section)));
  const std::string keyName(Trim(WithoutBreaks(key)));
  const std::string cleanValue = WithoutBreaks(value);
  // Names the file cannot hold would read back as something else.
  if (keyName.empty() || keyName.find('=') != std::string::npos || keyName.front() == '[' ||
      keyName.front() == ';' || sectionName.find(']') != std::string::npos) {
    return;
  }

  Section* target = FindSection(sectionName);
  if (target == nullptr) {
    // A blank line between sections, as the file would be written by hand.
    Section& last = sections_.back();
    if ((last.HasHeader || !last.Lines.empty()) &&
        (last.Lines.empty() || !Trim(last.Lines.back().Text).empty())) {
      last.Lines.push_back(Line{});
    }
    Section fresh;
    fresh.Name = sectionName;
    fresh.HasHeader = true;
    fresh.Header = "[" + sectionName + "]";
    sections_.push_back(std::move(fresh));
    target = &sections_.back();
  }

  std::size_t insertAt = 0;  // after the last entry, or right after the header
  for (std::size_t i = 0; i < target->Lines.size(); ++i) {
    Line& line = target->Lines[i];
    if (!line.IsEntry) continue;
    if (EqualNoCase(line.Key, keyName)) {
      line.Value = EncodeValue(cleanValue);
      line.Text = FormatEntry(line.Key, cleanValue);
      return;
    }
    insertAt = i + 1;
  }
  Line line;
  line.Text = FormatEntry(keyName, cleanValue);
  line.Key = keyName;
  line.Value = EncodeValue(cleanValue);
  line.IsEntry = true;
  target->Lines.insert(target->Lines.begin() + static_cast<std::ptrdiff_t>(insertAt),
                       std::move(line));
}

void IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

Status IniFile::UpdateFile() {
  if (path_.empty() || !readStatus_.Ok()) return Status::Failure(0);
  return ReplaceFileAtomically(path_, SettingsTextForFile(ToText()));
}

std::string IniFile::ToText() const {
  std::string text;
  for (const Section& section : sections_) {
    if (section.HasHeader) {
      text += section.Header;
      text += '\n';
    }
    for (const Line& line : section.Lines) {
      text += line.Text;
      text += '\n';
    }
  }
  return text;
}

}  // namespace tarnwell::platform
