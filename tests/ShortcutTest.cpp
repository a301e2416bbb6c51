// The application-menu entry: its text with every kind of awkward path, its
// writing and its failures, and the menu folders it goes to.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TempFolder.h"
#include "platform/ProgramsFolder.h"
#include "sysinfo/HelpCommands.h"
#include "sysinfo/kvUnit01.h"
#include "sysinfo/posix/DesktopEntry.h"

namespace tarnwell {
namespace {

using testing::Contents;
using testing::Put;
using testing::TempFolder;

std::string EntryFor(const std::string& exec, const std::string& folderLine) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Version=1.4\n"
         "Name=Tarnwell\n"
         "Comment=Tarnwell\n"
         "Exec=" +
         exec + "\n" + folderLine +
         "Icon=tarnwell\n"
         "Terminal=false\n"
         "Categories=System;\n";
}

TEST(DesktopEntry, PlainPathIsWrittenAsItIs) {
  EXPECT_EQ(DesktopEntryText("/usr/bin/tarnwell", "Tarnwell"),
            EntryFor("/usr/bin/tarnwell", "Path=/usr/bin/\n"));
  // A target without a folder part gets no working folder.
  EXPECT_EQ(DesktopEntryText("tarnwell", "Tarnwell"), EntryFor("tarnwell", ""));
}

TEST(DesktopEntry, ExecArgumentsAreQuotedAndEscapedInTwoLayers) {
  // Quoting and field codes first ...
  EXPECT_EQ(ExecArgument("/opt/100%/t"), "/opt/100%%/t");
  EXPECT_EQ(ExecArgument("/opt/My Apps/t"), "\"/opt/My Apps/t\"");
  EXPECT_EQ(ExecArgument("/a\"b`c$d\\e/t"), "\"/a\\\"b\\`c\\$d\\\\e/t\"");
  EXPECT_EQ(ExecArgument("/a'b/t"), "\"/a'b/t\"");
  EXPECT_EQ(ExecArgument("/a;b&c|d<e>f~g*h?i#j(k)l/t"), "\"/a;b&c|d<e>f~g*h?i#j(k)l/t\"");
  EXPECT_EQ(ExecArgument("/a%f %u/t"), "\"/a%%f %%u/t\"");
  // ... then the file's string escapes, which double every backslash again.
  EXPECT_EQ(DesktopEntryText("/opt/My $HOME/100% \"q\"\\x/tarnwell", "Tarnwell"),
            EntryFor("\"/opt/My \\\\$HOME/100%% \\\\\"q\\\\\"\\\\\\\\x/tarnwell\"",
                     "Path=/opt/My $HOME/100% \"q\"\\\\x/\n"));
  EXPECT_EQ(DesktopEntryText("/tab\there/new\nline/t", "Tarnwell"),
            EntryFor("\"/tab\\there/new\\nline/t\"", "Path=/tab\\there/new\\nline/\n"));
}

TEST(DesktopEntry, BlanksAtTheEndsOfValuesSurviveReaders) {
  EXPECT_EQ(ValueText("  two inner  "), "\\s\\stwo inner\\s\\s");
  EXPECT_EQ(ValueText(" "), "\\s");
  EXPECT_EQ(ValueText("日本語 名"), "日本語 名");
}

TEST(DesktopEntry, TextsAnEntryCannotCarryAreRefused) {
  EXPECT_EQ(DesktopEntryText("", "Tarnwell"), std::nullopt);
  EXPECT_EQ(DesktopEntryText("/opt/\x01/t", "Tarnwell"), std::nullopt);
  EXPECT_EQ(DesktopEntryText("/opt/\x7f/t", "Tarnwell"), std::nullopt);
  EXPECT_EQ(DesktopEntryText("/opt/\xff/t", "Tarnwell"), std::nullopt);          // not UTF-8
  EXPECT_EQ(DesktopEntryText("/opt/\xe3\x81/t", "Tarnwell"), std::nullopt);      // cut short
  EXPECT_EQ(DesktopEntryText("/opt/\xc0\xaf/t", "Tarnwell"), std::nullopt);      // overlong "/"
  EXPECT_EQ(DesktopEntryText("/opt/\xed\xa0\x80/t", "Tarnwell"), std::nullopt);  // surrogate
  EXPECT_EQ(DesktopEntryText("/opt/\xc2\x85/t", "Tarnwell"), std::nullopt);      // C1 control
  EXPECT_EQ(DesktopEntryText("/usr/bin/t", "Tarn\x1bwell"), std::nullopt);
  EXPECT_NE(DesktopEntryText("/opt/ディスク/t", "Tarnwell"), std::nullopt);
  EXPECT_NE(DesktopEntryText("/opt/\xf0\x9f\x92\xbe/t", "Tarnwell"), std::nullopt);
}

TEST(CreateShortcut, WritesAndReplacesTheEntry) {
  TempFolder folder;
  const std::string link = ShortcutPath(folder.Path());
  EXPECT_EQ(link, folder.Path() + "/Tarnwell.desktop");
  Put(link, "old entry");
  CreateShortcut(link, "/opt/My Apps/tarnwell", ShortcutDescription);
  EXPECT_EQ(Contents(link), EntryFor("\"/opt/My Apps/tarnwell\"", "Path=/opt/My Apps/\n"));
  // The temporary file of the atomic replacement is gone.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

TEST(CreateShortcut, FailureRaisesTheSaveErrorAndLeavesTheOldEntry) {
  TempFolder folder;
  const auto expectSaveFailure = [](const std::string& link, const std::string& target) {
    try {
      CreateShortcut(link, target, "Tarnwell");
      ADD_FAILURE() << "no exception for " << link;
    } catch (const EkvGetUserName& error) {
      EXPECT_STREQ(error.what(), "Failed to call IPersistFile.Save");
    }
  };
  expectSaveFailure(folder / "missing/Tarnwell.desktop", "/usr/bin/tarnwell");
  std::filesystem::create_directory(folder / "Tarnwell.desktop");
  expectSaveFailure(folder / "Tarnwell.desktop", "/usr/bin/tarnwell");

  const std::string link = folder / "kept.desktop";
  Put(link, "old entry");
  expectSaveFailure(link, "/opt/\x01/tarnwell");
  EXPECT_EQ(Contents(link), "old entry");
  // A path too long for the system is a failure, not a shortened path.
  expectSaveFailure(folder.Path() + "/" + std::string(5000, 'n') + ".desktop", "/usr/bin/t");
}

class ProgramsFolderTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_DATA_HOME"}) {
      const char* value = std::getenv(name);
      saved_.push_back({name, value != nullptr ? std::optional<std::string>(value) : std::nullopt});
    }
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) {
      if (value) {
        ::setenv(name, value->c_str(), 1);
      } else {
        ::unsetenv(name);
      }
    }
  }
  TempFolder folder_;

private:
  std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(ProgramsFolderTest, CurrentUsersFolderFollowsXdgDataHomeAndIsCreated) {
  ::setenv("XDG_DATA_HOME", (folder_ / "data/").c_str(), 1);
  const std::string expected = folder_ / "data/applications";
  EXPECT_EQ(platform::ProgramsFolder(false), expected);
  EXPECT_TRUE(std::filesystem::is_directory(expected));
  struct stat info {};
  ASSERT_EQ(::stat(expected.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);

  // A relative value does not count; the home folder's default is used.
  ::setenv("XDG_DATA_HOME", "relative", 1);
  ::setenv("HOME", folder_.Path().c_str(), 1);
  EXPECT_EQ(platform::ProgramsFolder(false), folder_ / ".local/share/applications");
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / ".local/share/applications"));
}

TEST_F(ProgramsFolderTest, AFolderThatCannotBeMadeGivesNothing) {
  Put(folder_ / "file", "");
  ::setenv("XDG_DATA_HOME", (folder_ / "file").c_str(), 1);
  EXPECT_EQ(platform::ProgramsFolder(false), "");
  Put(folder_ / "applications", "");
  ::setenv("XDG_DATA_HOME", folder_.Path().c_str(), 1);
  EXPECT_EQ(platform::ProgramsFolder(false), "");
}

}  // namespace
}  // namespace tarnwell
