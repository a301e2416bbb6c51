// Naming and placing the settings file.
#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

#include "platform/Paths.h"
#include "platform/SettingsPath.h"
#include "platform/posix/LinuxFolders.h"
#include "tests/TempFolder.h"
#include "tests/Unprivileged.h"

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

// Root with another user's HOME and XDG folders (sudo -E): every per-user
// folder is root's own, so no root-owned folder appears in that user's home.
TEST(SettingsPath, RootNeverTakesAnotherUsersHomeForItsFolders) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root";
  testing::TempFolder home;
  ASSERT_EQ(::chown(home.Path().c_str(), testing::NobodyId, testing::NobodyId), 0);
  const passwd* root = ::getpwuid(0);
  ASSERT_NE(root, nullptr);
  const std::string own = root->pw_dir == std::string("/") ? "" : root->pw_dir;
  std::map<std::string, std::optional<std::string>> saved;
  for (const char* name : {"HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"}) {
    const char* value = std::getenv(name);
    saved[name] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
    ::unsetenv(name);
  }
  ::setenv("HOME", home.Path().c_str(), 1);
  EXPECT_EQ(ProgramCacheDirectory(), own + "/.cache/tarnwell");
  EXPECT_EQ(ProgramDataDirectory(), own + "/.local/share/tarnwell");
  EXPECT_EQ(ProgramConfigDirectory(), own + "/.config/tarnwell");
  // Nor through an XDG variable, nor a root-owned folder made there earlier.
  std::filesystem::create_directory(home / "share");
  ::setenv("XDG_DATA_HOME", (home / "share").c_str(), 1);
  EXPECT_EQ(UserBaseDirectory(UserFolder::Data), own + "/.local/share");
  // Root's own folders, wherever they are, stay as named.
  ::chown(home.Path().c_str(), 0, 0);
  EXPECT_EQ(ProgramDataDirectory(), home / "share/tarnwell");
  EXPECT_EQ(ProgramConfigDirectory(), home / ".config/tarnwell");
  for (const auto& [name, value] : saved) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
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
