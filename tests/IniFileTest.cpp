// Settings documents: lookups, value conversions, edits in place, hostile
// input, and saving through the file.
#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/IniFile.h"
#include "tests/TempFolder.h"
#include "tests/Unprivileged.h"

namespace tarnwell::platform {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::Put;
using namespace std::string_literals;

TEST(IniFileLookup, NamesIgnoreCaseAndSurroundingBlanks) {
  const IniFile ini = IniFile::FromText("[Main]\n  fileSIZE =  5 \n[window]\nTop=7\n");
  EXPECT_EQ(ini.ReadInteger("MAIN", "FileSize", 0), 5);
  EXPECT_EQ(ini.ReadInteger("Window", "TOP", 0), 7);
  EXPECT_EQ(ini.ReadString("main", "filesize", "x"), "5");
}

TEST(IniFileLookup, FirstOccurrenceWinsAndAbsentGivesDefault) {
  const IniFile ini = IniFile::FromText(
      "Top=1\n"  // before any section: belongs to none
      "[Main]\nWait=2\nwait=3\n[main]\nWait=4\nRepeat=5\n");
  EXPECT_EQ(ini.ReadInteger("Main", "Wait", 0), 2);
  // Only the first section of a name is searched.
  EXPECT_EQ(ini.ReadInteger("Main", "Repeat", -9), -9);
  EXPECT_EQ(ini.ReadInteger("Main", "Top", -9), -9);
  EXPECT_EQ(ini.ReadInteger("Other", "Wait", -9), -9);
  EXPECT_EQ(ini.ReadString("Main", "Folder", "C:\\"), "C:\\");
}

TEST(IniFileValues, IntegerForms) {
  struct Case {
    const char* text;
    int expected;
  };
  const Case cases[] = {
      {"3", 3},
      {"0x3", 3},
      {"0X1f", 31},
      {"$10", 16},
      {"-5", -5},
      {"+7", 7},
      {"-0x10", -16},
      {"\" 42\"", 42},  // leading blanks inside quotes are skipped
      {"2147483647", INT_MAX},
      {"-2147483648", INT_MIN},
      {"0x7FFFFFFF", INT_MAX},
      // Everything below yields the default.
      {"abc", -99},
      {"12abc", -99},
      {"1 2", -99},
      {"\"42 \"", -99},
      {"0x", -99},
      {"$", -99},
      {"-", -99},
      {"0xG", -99},
      {"2147483648", -99},
      {"-2147483649", -99},
      {"0x80000000", -99},
      {"99999999999999999999999", -99},
      {"1.5", -99},
  };
  for (const Case& c : cases) {
    const IniFile ini = IniFile::FromText("[Main]\nFileSize="s + c.text + "\n");
    EXPECT_EQ(ini.ReadInteger("Main", "FileSize", -99), c.expected) << c.text;
  }
  const IniFile empty = IniFile::FromText("[Main]\nFileSize=\n");
  EXPECT_EQ(empty.ReadInteger("Main", "FileSize", 3), 3);
}

TEST(IniFileValues, BooleansAreIntegers) {
  const IniFile ini = IniFile::FromText(
      "[Main]\nDeleteAfterWrite=5\nReadOnly=\nReadRandom=0\nWriteRead1MB=yes\nNeg=-1\n");
  EXPECT_TRUE(ini.ReadBool("Main", "DeleteAfterWrite", false));
  EXPECT_FALSE(ini.ReadBool("Main", "ReadOnly", false));
  EXPECT_TRUE(ini.ReadBool("Main", "ReadOnly", true));
  EXPECT_FALSE(ini.ReadBool("Main", "ReadRandom", true));
  EXPECT_TRUE(ini.ReadBool("Main", "WriteRead1MB", true));
  EXPECT_FALSE(ini.ReadBool("Main", "WriteRead1MB", false));
  EXPECT_TRUE(ini.ReadBool("Main", "Neg", false));
  EXPECT_TRUE(ini.ReadBool("Main", "Absent", true));
}

TEST(IniFileValues, TextPresentButEmptyIsNotTheDefault) {
  const IniFile ini = IniFile::FromText("[Main]\nFolder=\nQuoted='x y'\nHalf=\"x\n");
  EXPECT_EQ(ini.ReadString("Main", "Folder", "C:\\"), "");
  EXPECT_EQ(ini.ReadString("Main", "Quoted", ""), "x y");
  EXPECT_EQ(ini.ReadString("Main", "Half", ""), "\"x");
}

TEST(IniFileValues, LongTextIsCutAtACharacterBoundary) {
  const std::string ascii(3000, 'a');
  IniFile ini = IniFile::FromText("[Main]\nFolder=" + ascii + "\n");
  EXPECT_EQ(ini.ReadString("Main", "Folder", ""), std::string(2047, 'a'));

  // 2046 ASCII bytes then "é" (2 bytes): byte 2047 would split it.
  const std::string accented = std::string(2046, 'a') + "\xC3\xA9" + "tail";
  ini.WriteString("Main", "Folder", accented);
  EXPECT_EQ(ini.ReadString("Main", "Folder", ""), std::string(2046, 'a'));
  // The file itself keeps the whole value.
  EXPECT_NE(ini.ToText().find(accented), std::string::npos);

  const std::string exact(2047, 'b');
  ini.WriteString("Main", "Folder", exact);
  EXPECT_EQ(ini.ReadString("Main", "Folder", ""), exact);
}

TEST(IniFileWrite, ReplacesInPlaceAndAppendsInOrder) {
  IniFile ini = IniFile::FromText(
      "; settings\n"
      "[Window]\n"
      "TOP = 1\n"
      "; keep me\n"
      "Left=2\n"
      "\n"
      "; about Main\n"
      "[Main]\n"
      "Folder=/tmp\n");
  ini.WriteInteger("window", "top", 10);
  ini.WriteInteger("Window", "Width", 720);
  ini.WriteBool("Main", "ReadOnly", false);
  ini.WriteBool("Main", "DeleteAfterWrite", true);
  ini.WriteInteger("Main", "Wait", -1);
  ini.WriteInteger("FolderWindow", "Top", 200);
  EXPECT_EQ(ini.ToText(),
            "; settings\n"
            "[Window]\n"
            "TOP=10\n"
            "; keep me\n"
            "Left=2\n"
            "Width=720\n"
            "\n"
            "; about Main\n"
            "[Main]\n"
            "Folder=/tmp\n"
            "ReadOnly=0\n"
            "DeleteAfterWrite=1\n"
            "Wait=-1\n"
            "\n"
            "[FolderWindow]\n"
            "Top=200\n");
}

TEST(IniFileWrite, EmptyDocumentGetsSectionsInWriteOrder) {
  IniFile ini = IniFile::FromText("");
  ini.WriteInteger("FolderWindow", "Left", 200);
  ini.WriteInteger("Main", "FileSize", 3);
  ini.WriteString("FolderWindow", "Top", "");
  EXPECT_EQ(ini.ToText(), "[FolderWindow]\nLeft=200\nTop=\n\n[Main]\nFileSize=3\n");
}

TEST(IniFileWrite, ValuesComeBackAsWritten) {
  const std::string values[] = {"",   "  padded  ", "\ttab",  "\"quoted\"", "'single'",
                                "\"", "a=b;c",      "[Main]", "é/日本"};
  IniFile ini = IniFile::FromText("");
  for (const std::string& value : values) {
    ini.WriteString("Main", "Folder", value);
    EXPECT_EQ(ini.ReadString("Main", "Folder", "default"), value);
    const IniFile reread = IniFile::FromText(ini.ToText());
    EXPECT_EQ(reread.ReadString("Main", "Folder", "default"), value);
  }
}

TEST(IniFileWrite, LineBreaksCannotInjectKeysOrSections) {
  IniFile ini = IniFile::FromText("[Main]\nReadOnly=0\n");
  ini.WriteString("Main", "Folder", "/x\n[Main]\r\nReadOnly=1\0y"s);
  ini.WriteString("Main\n[Evil", "Key\r\nReadOnly", "1");
  const IniFile reread = IniFile::FromText(ini.ToText());
  EXPECT_FALSE(reread.ReadBool("Main", "ReadOnly", true));
  EXPECT_EQ(reread.ReadString("Main", "Folder", ""), "/x [Main]  ReadOnly=1 y");
  EXPECT_EQ(reread.ReadString("Evil", "Key", "none"), "none");
  EXPECT_EQ(reread.ReadString("Main [Evil", "Key  ReadOnly", ""), "1");
}

TEST(IniFileWrite, UnrepresentableNamesAreIgnored) {
  IniFile ini = IniFile::FromText("[Main]\nA=1\n");
  const std::string before = ini.ToText();
  ini.WriteString("Main", "", "x");
  ini.WriteString("Main", "k=v", "x");
  ini.WriteString("Main", ";k", "x");
  ini.WriteString("Main", "[k", "x");
  ini.WriteString("Ma]in", "k", "x");
  EXPECT_EQ(ini.ToText(), before);
}

TEST(IniFileParse, HostileAndForeignText) {
  const std::string text =
      "\xEF\xBB\xBF\xEF\xBB\xBF[Main]\r\nA=1\r\nB=2\rC=3\n"
      "no equals sign\n"
      "=no key\n"
      "[Unclosed\nD=4\n"
      "[Nul]\nE=5\0tail\n"s +
      "Long=" + std::string(1 << 20, 'z') + "\n";
  const IniFile ini = IniFile::FromText(text);
  EXPECT_EQ(ini.ReadInteger("Main", "A", 0), 1);
  EXPECT_EQ(ini.ReadInteger("Main", "B", 0), 2);
  EXPECT_EQ(ini.ReadInteger("Main", "C", 0), 3);
  EXPECT_EQ(ini.ReadInteger("Unclosed", "D", 0), 4);
  EXPECT_EQ(ini.ReadInteger("Nul", "E", 0), 5);  // a reader stops at the NUL
  EXPECT_EQ(ini.ReadString("Nul", "Long", "").size(), 2047u);

  const std::string out = ini.ToText();
  EXPECT_EQ(out.find('\r'), std::string::npos);
  EXPECT_EQ(out.rfind("\xEF\xBB\xBF", 0), std::string::npos);
  EXPECT_NE(out.find("\nno equals sign\n=no key\n[Unclosed\n"), std::string::npos);
  // Once written, the text is a fixed point.
  EXPECT_EQ(IniFile::FromText(out).ToText(), out);
}

TEST(IniFileParse, UnchangedTextIsKeptVerbatim) {
  const std::string text = "[ Main ]  ; trailing\n  Key =  spaced value \n\n;c\n";
  EXPECT_EQ(IniFile::FromText(text).ToText(), text);
  EXPECT_EQ(IniFile::FromText("[A]\nx=1").ToText(), "[A]\nx=1\n");
  EXPECT_EQ(IniFile::FromText("").ToText(), "");
}

class IniFileOnDisk : public ::testing::Test {
protected:
  testing::TempFolder temp_;
  fs::path folder_ = temp_.Path();
  std::string path_ = (folder_ / "tarnwell.INI").string();
};

TEST_F(IniFileOnDisk, MissingFileReadsAsDefaultsAndFirstSaveCreatesIt) {
  IniFile first(path_);
  EXPECT_EQ(first.ReadInteger("Window", "Top", 100), 100);
  first.WriteInteger("Window", "Top", 100);
  first.WriteInteger("Main", "FileSize", 3);
  first.WriteString("Main", "Folder", "/mnt/データ");
  ASSERT_TRUE(first.UpdateFile().Ok());

  IniFile second(path_);
  EXPECT_EQ(second.ReadInteger("main", "filesize", 0), 3);
  EXPECT_EQ(second.ReadString("Main", "Folder", ""), "/mnt/データ");
  // A second object adds its section without disturbing the first's keys.
  second.WriteInteger("FolderWindow", "Top", 200);
  ASSERT_TRUE(second.UpdateFile().Ok());
  EXPECT_EQ(Contents(path_),
            "[Window]\nTop=100\n\n[Main]\nFileSize=3\nFolder=/mnt/データ\n\n"
            "[FolderWindow]\nTop=200\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 1);
}

TEST_F(IniFileOnDisk, AByteOrderMarkSaysHowTheFileIsEncoded) {
  // UTF-16LE as Notepad saves "Unicode": "データ", a character beyond the
  // BMP as a surrogate pair, and a lone surrogate, which cannot be kept.
  Put(path_,
      "\xFF\xFE[\0M\0a\0i\0n\0]\0\r\0\n\0F\0o\0l\0d\0e\0r\0=\0/\0\xC7\x30\xFC\x30\xBF\x30"
      "\x3D\xD8\x00\xDE\x00\xD8\r\0\n\0"s);
  IniFile little(path_);
  EXPECT_EQ(little.ReadString("Main", "Folder", ""), "/データ\U0001F600\uFFFD");
  ASSERT_TRUE(little.UpdateFile().Ok());
  EXPECT_EQ(Contents(path_), "[Main]\nFolder=/データ\U0001F600\uFFFD\n");

  Put(path_, "\xFE\xFF\0[\0M\0]\0\n\0k\0=\x30\xC7"s);
  EXPECT_EQ(IniFile(path_).ReadString("M", "k", ""), "デ");
}

TEST_F(IniFileOnDisk, DocumentWithoutFileCannotBeSaved) {
  IniFile ini = IniFile::FromText("[Main]\nA=1\n");
  EXPECT_TRUE(ini.Path().empty());
  EXPECT_FALSE(ini.UpdateFile().Ok());
}

TEST_F(IniFileOnDisk, UnreadableFileIsNeverOverwritten) {
  // A folder where the file should be: not readable as a file.
  fs::create_directory(path_);
  IniFile folder(path_);
  folder.WriteInteger("Main", "A", 1);
  EXPECT_FALSE(folder.UpdateFile().Ok());
  EXPECT_TRUE(fs::is_directory(path_));
  fs::remove(path_);

  Put(path_, "[Main]\nFolder=/precious\n");
  fs::permissions(folder_, fs::perms::others_all, fs::perm_options::add);
  fs::permissions(path_, fs::perms::owner_write);  // the user's, but unreadable
  const int saved = testing::RunUnprivileged(path_, [&] {
    IniFile locked(path_);
    locked.WriteInteger("Main", "A", 1);
    return locked.UpdateFile().Ok() ? 1 : 0;
  });
  EXPECT_EQ(saved, 0);
  fs::permissions(path_, fs::perms::owner_read);
  EXPECT_EQ(Contents(path_), "[Main]\nFolder=/precious\n");
}

}  // namespace
}  // namespace tarnwell::platform
