// INI settings files with the private-profile rules the program relies on:
// section and key names compare without regard to case, the order of
// sections and keys is kept, new keys go after the existing keys of their
// section and new sections after the existing sections; integers are read
// as decimal, "0x"/"$" hexadecimal, with the default for an absent, empty,
// non-numeric or out-of-range value; Booleans are written "1"/"0"; text
// values are cut at 2047 bytes. Text is UTF-8 on Linux.
//
// The file is read once when the object is made; writes change the copy in
// memory and UpdateFile() replaces the file atomically (temporary file in the
// same folder, flushed, renamed over the old one), so a crash or a full disk
// leaves either the old file or the new one.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace tarnwell::platform {

class IniFile {
public:
  // Reads `path` if it exists; a missing or unreadable file reads as empty.
  explicit IniFile(std::string path);

  // The document parsed from text, bound to no file (tests, fuzzing).
  static IniFile FromText(std::string_view text);

  const std::string& Path() const { return path_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Replaces the file with the document, atomically. False when that failed;
  // the file on disk is then the one from before.
  bool UpdateFile();

  // The document as the file would hold it.
  std::string ToText() const;

private:
  struct Entry {
    std::string Key;
    std::string Value;
  };
  struct Section {
    std::string Name;
    std::vector<Entry> Entries;
  };

  void Parse(std::string_view text);
  const Entry* Find(std::string_view section, std::string_view key) const;

  std::string path_;
  std::vector<Section> sections_;
};

}  // namespace tarnwell::platform
