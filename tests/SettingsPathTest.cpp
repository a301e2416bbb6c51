// Naming and placing the settings file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/Paths.h"
#include "platform/SettingsPath.h"

namespace tarnwell::platform {
namespace {

TEST(SettingsPath, ExtensionIsReplacedOrAppended) {
  EXPECT_EQ(IniPathForExecutable("/opt/x/tarnwell"), "/opt/x/tarnwell.INI");
  EXPECT_EQ(IniPathForExecutable("/a/b.c/tarnwell"), "/a/b.c/tarnwell.INI");
  EXPECT_EQ(IniPathForExecutable("/a/tarnwell.bin"), "/a/tarnwell.INI");
  EXPECT_EQ(IniPathForExecutable("/a/tarnwell.tar.gz"), "/a/tarnwell.tar.INI");
  EXPECT_EQ(IniPathForExecutable("/a/tarnwell."), "/a/tarnwell.INI");
  EXPECT_EQ(IniPathForExecutable("/a/.tarnwell"), "/a/.tarnwell.INI");
  EXPECT_EQ(IniPathForExecutable("tarnwell"), "tarnwell.INI");
  EXPECT_EQ(IniPathForExecutable(""), "");
}

TEST(SettingsPath, FallsBackToTheConfigFolderWhenBesideIsNotWritable) {
  EXPECT_EQ(SettingsFilePathFor("/opt/t/tarnwell", true, "/home/u/.config/tarnwell"),
            "/opt/t/tarnwell.INI");
  EXPECT_EQ(SettingsFilePathFor("/usr/bin/tarnwell.bin", false, "/home/u/.config/tarnwell"),
            "/home/u/.config/tarnwell/tarnwell.INI");
  EXPECT_EQ(SettingsFilePathFor("", true, "/cfg"), "/cfg/tarnwell.INI");
  EXPECT_EQ(SettingsFilePathFor("/usr/bin/tarnwell", false, ""), "/usr/bin/tarnwell.INI");
}

TEST(SettingsPath, ConfigFolderFollowsOnlyAnAbsoluteXdgValue) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string restore = saved != nullptr ? saved : "";
  ::setenv("XDG_CONFIG_HOME", "/xdg/conf/", 1);
  EXPECT_EQ(ProgramConfigDirectory(), "/xdg/conf/tarnwell");
  ::setenv("XDG_CONFIG_HOME", "relative", 1);
  const std::string home = HomeDirectory();
  if (!home.empty() && home != "/") {
    EXPECT_EQ(ProgramConfigDirectory(), home + "/.config/tarnwell");
  }
  if (saved != nullptr) {
    ::setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
  } else {
    ::unsetenv("XDG_CONFIG_HOME");
  }
}

TEST(SettingsPath, ThisProcessIsFound) {
  const std::string exe = ExecutablePath();
  ASSERT_FALSE(exe.empty());
  EXPECT_EQ(exe.front(), '/');
  EXPECT_TRUE(std::filesystem::is_regular_file(exe));
  EXPECT_EQ(std::filesystem::path(exe).filename(), "tarnwell_tests");

  EXPECT_TRUE(IsDirectoryWritable(std::filesystem::temp_directory_path().string()));
  EXPECT_FALSE(IsDirectoryWritable("/nonexistent-tarnwell-folder"));
  EXPECT_FALSE(IsDirectoryWritable(""));
}

}  // namespace
}  // namespace tarnwell::platform
