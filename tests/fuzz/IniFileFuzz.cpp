// libFuzzer target for the INI reader: any bytes must parse without harm,
// the written text must be a fixed point of parsing, and a value written
// into any document must read back as written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/IniFile.h"

using tarnwell::platform::IniFile;

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

// What a read returns for a written value: line breaks and NULs become
// blanks, and at most 2047 bytes come back.
std::string Expected(std::string_view written) {
  std::string value(written);
  for (char& c : value) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  IniFile ini = IniFile::FromText(input);

  // The reads the program makes; any answer is fine as long as none crashes.
  const std::string folder = ini.ReadString("Main", "Folder", "C:\\");
  Check(folder.size() <= 2047);
  const int fileSize = ini.ReadInteger("Main", "FileSize", 3);
  const bool readOnly = ini.ReadBool("Main", "ReadOnly", false);
  (void)fileSize;
  (void)readOnly;

  const std::string text = ini.ToText();
  IniFile reparsed = IniFile::FromText(text);
  Check(reparsed.ToText() == text);
  Check(reparsed.ReadString("Main", "Folder", "C:\\") == folder);

  // Write a slice of the input into the document it came from.
  const std::string_view value = input.substr(0, input.size() / 2);
  reparsed.WriteString("Main", "Folder", value);
  reparsed.WriteInteger("Window", "Top", static_cast<int>(size) - 1000);
  reparsed.WriteBool("Main", "ReadOnly", size % 2 == 0);
  const std::string edited = reparsed.ToText();
  const IniFile reread = IniFile::FromText(edited);
  Check(reread.ToText() == edited);
  if (value.size() <= 2047) Check(reread.ReadString("Main", "Folder", "") == Expected(value));
  Check(reread.ReadInteger("Window", "Top", 0) == static_cast<int>(size) - 1000);
  Check(reread.ReadBool("Main", "ReadOnly", size % 2 != 0) == (size % 2 == 0));
  return 0;
}
