// INI settings files with the private-profile rules the program relies on:
// section and key names compare without regard to case, the order of
// sections and keys is kept, new keys go after the existing keys of their
// section and new sections after the existing sections; integers are read
// as decimal, "0x"/"$" hexadecimal, with the default for an absent, empty,
// non-numeric or out-of-range value; Booleans are written "1"/"0"; text
// values are cut where a 2048-byte reader stops, counted in the file's own
// encoding (code page 932 on Windows, UTF-8 on Linux) and never inside a
// character. Blanks around names and values are not part of them, and a
// matching pair of quotes around a value is removed when it is read; a value
// with blanks or quotes at its ends is therefore written in quotes, so that
// it reads back unchanged.
// Text is UTF-8 inside; a file that starts with a byte-order mark (UTF-16LE,
// UTF-16BE or UTF-8) is read in that encoding, as the system's own profile
// functions read it.
//
// The file is read once when the object is made; writes change the copy in
// memory and UpdateFile() replaces the file atomically (temporary file in the
// same folder, flushed, renamed over the old one), so a crash or a full disk
// leaves either the old file or the new one.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Error.h"

namespace tarnwell::platform {

class IniFile {
public:
  // Reads `path` if it exists; a missing or unreadable file reads as empty.
  // An unreadable one (no permission, not a plain file, absurdly large) is
  // then never overwritten: UpdateFile() refuses, so nothing is lost.
  explicit IniFile(std::string path);

  // The document parsed from text, bound to no file (tests, fuzzing).
  static IniFile FromText(std::string_view text);

  const std::string& Path() const { return path_; }

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view defaultValue) const;
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;
  // Whether the stored text is longer than a reader takes, so that
  // ReadString hands back only its beginning.
  bool IsCut(std::string_view section, std::string_view key) const;
  // How reading the file went: Ok() when it was read or is not there; not
  // Ok() when it exists but could not be read (not a plain file, too large,
  // no permission, changed while being read), with the native code when the
  // system gave one.
  Status ReadStatus() const { return readStatus_; }
  bool ReadBool(std::string_view section, std::string_view key, bool defaultValue) const;

  // Line breaks and NULs in names and values become blanks. Names are the
  // program's own: a key that is empty, holds "=" or starts with "[" or ";",
  // or a section name with "]", cannot be stored and the write is ignored.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Replaces the file with the document, atomically. Not Ok() when that
  // failed (or the object is bound to no file, or the file could not be
  // read, both with no native code); the file on disk is then the one from
  // before.
  Status UpdateFile();

  // The document as the file would hold it: LF line ends, no BOM.
  std::string ToText() const;

private:
  // One line of the file. Lines that are not "key=value" (comments, blank
  // lines, anything unrecognised) are kept as they stand and written back.
  struct Line {
    std::string Text;   // the line as written, without its line end
    std::string Key;    // trimmed key name; empty when not an entry
    std::string Value;  // trimmed value text as stored (quotes not removed)
    bool IsEntry = false;
  };
  struct Section {
    std::string Name;
    bool HasHeader = false;  // false for lines before the first header
    std::string Header;      // the header line as written
    std::vector<Line> Lines;
  };

  void Parse(std::string_view text);
  Section* FindSection(std::string_view section);
  const Section* FindSection(std::string_view section) const;
  const Line* Find(std::string_view section, std::string_view key) const;
  // The stored value as a reader sees it, or nothing when absent.
  std::optional<std::string> Lookup(std::string_view section, std::string_view key) const;

  std::string path_;
  std::vector<Section> sections_;
  // Not Ok() when the file exists but could not be read; saving would lose
  // its contents.
  Status readStatus_;
};

}  // namespace tarnwell::platform
