// The folder services behind the folder chooser: which mounts count as
// disks, where the desktop folder is, the trash and renames that must never
// replace what is already there.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <optional>

#include "platform/Folders.h"
#include "platform/posix/LinuxFolders.h"
#include "tests/TempFolder.h"

namespace tarnwell {
namespace {

using testing::Contents;
using testing::TempFolder;
namespace fs = std::filesystem;

TEST(Folders, MountPointsAreRealFileSystemsWithRootFirst) {
  const std::string mountInfo =
      "21 1 0:20 / /proc rw - proc proc rw\n"
      "25 1 8:2 / /home rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
      "26 1 8:3 / /media/my\\040disk rw - vfat /dev/sdb1 rw\n"
      "27 1 0:30 / /run rw - tmpfs tmpfs rw\n"
      "28 1 7:0 / /snap/core/1 ro - squashfs /dev/loop0 ro\n"
      "29 1 8:2 /alice/shared /srv/shared rw - ext4 /dev/sda2 rw\n"
      "30 1 0:40 / /mnt/nas rw - nfs4 server:/export rw\n"
      "31 1 0:41 / /cgroup rw - cgroup2 cgroup2 rw\n"
      "32 1 8:2 / /home rw - ext4 /dev/sda2 rw\n"
      "20 0 0:19 / / rw - overlay overlay rw\n"
      "broken line\n";
  EXPECT_EQ(platform::ParseMountPoints(mountInfo),
            (std::vector<std::string>{"/", "/home", "/media/my disk", "/mnt/nas"}));
}

TEST(Folders, DesktopFolderFollowsTheUserDirsFile) {
  const std::string home = "/home/alice";
  EXPECT_EQ(platform::ParseDesktopDirectory("# XDG_DESKTOP_DIR=\"/x\"\n"
                                            "XDG_DOWNLOAD_DIR=\"$HOME/dl\"\n"
                                            "XDG_DESKTOP_DIR=\"$HOME/デスクトップ\"\n",
                                            home),
            "/home/alice/デスクトップ");
  EXPECT_EQ(platform::ParseDesktopDirectory("XDG_DESKTOP_DIR=\"/data/my \\\"desk\\\"/\"\n", home),
            "/data/my \"desk\"");
  EXPECT_EQ(platform::ParseDesktopDirectory("XDG_DESKTOP_DIR=\"$HOME\"\n", home), home);
  // The last assignment counts, as when a shell reads the file.
  EXPECT_EQ(platform::ParseDesktopDirectory(
                "XDG_DESKTOP_DIR=\"$HOME/a\"\nXDG_DESKTOP_DIR=\"relative\"\n", home),
            "");
  EXPECT_EQ(platform::ParseDesktopDirectory("", home), "");
}

TEST(Folders, RenameNeverReplacesAndRefusesBadNames) {
  TempFolder folder;
  fs::create_directory(folder / "a");
  fs::create_directory(folder / "b");  // empty: plain rename(2) would replace it
  testing::Put(folder / "a/kept", "x");
  EXPECT_FALSE(platform::RenameFolder(folder / "a", folder / "b").Ok());
  EXPECT_TRUE(fs::exists(folder / "a/kept"));
  EXPECT_TRUE(platform::RenameFolder(folder / "a", folder / "c").Ok());
  EXPECT_TRUE(fs::exists(folder / "c/kept"));

  for (const std::string& bad : std::vector<std::string>{"", ".", "..", "x/y", {"x\0y", 3}}) {
    EXPECT_FALSE(platform::IsValidFolderName(bad)) << bad;
  }
  EXPECT_TRUE(platform::IsValidFolderName("..x"));
}

TEST(Folders, ListingSkipsHiddenFilesAndBrokenLinksButFollowsFolderLinks) {
  TempFolder folder;
  fs::create_directories(folder / "dir/inner");
  fs::create_directory(folder / ".hidden");
  testing::Put(folder / "file", "x");
  fs::create_directory_symlink(folder / "dir", folder / "link");
  fs::create_symlink(folder / "file", folder / "filelink");
  fs::create_symlink(folder / "loop", folder / "loop");
  auto names = platform::ListSubFolders(folder.Path());
  ASSERT_TRUE(names.has_value());
  std::sort(names->begin(), names->end());
  EXPECT_EQ(*names, (std::vector<std::string>{"dir", "link"}));
  EXPECT_TRUE(platform::HasSubFolders(folder / "link"));
  EXPECT_FALSE(platform::HasSubFolders(folder / "dir/inner"));
  EXPECT_FALSE(platform::ListSubFolders(folder / "missing").has_value());
}

// Points XDG_DATA_HOME at a folder of the test's own while it lives.
class DataHome {
public:
  explicit DataHome(const std::string& path) {
    if (const char* old = std::getenv("XDG_DATA_HOME")) old_ = old;
    ::setenv("XDG_DATA_HOME", path.c_str(), 1);
  }
  ~DataHome() {
    if (old_) {
      ::setenv("XDG_DATA_HOME", old_->c_str(), 1);
    } else {
      ::unsetenv("XDG_DATA_HOME");
    }
  }

private:
  std::optional<std::string> old_;
};

TEST(Folders, TrashKeepsWhereEachFolderCameFrom) {
  TempFolder folder;
  DataHome dataHome(folder / "data");
  fs::create_directories(folder / "a/my folder%");
  fs::create_directories(folder / "b/my folder%");
  testing::Put(folder / "a/my folder%/kept", "x");

  ASSERT_TRUE(platform::MoveToTrash(folder / "a/my folder%").Ok());
  ASSERT_TRUE(platform::MoveToTrash(folder / "b/my folder%").Ok());
  EXPECT_FALSE(fs::exists(folder / "a/my folder%"));
  EXPECT_EQ(Contents(folder / "data/Trash/files/my folder%/kept"), "x");
  EXPECT_TRUE(fs::is_directory(folder / "data/Trash/files/my folder%.2"));

  const std::string info = Contents(folder / "data/Trash/info/my folder%.2.trashinfo");
  const std::string head =
      "[Trash Info]\nPath=" + folder.Path() + "/b/my%20folder%25\nDeletionDate=";
  ASSERT_EQ(info.substr(0, head.size()), head);
  // Local time as YYYY-MM-DDThh:mm:ss.
  const std::string date = info.substr(head.size());
  ASSERT_EQ(date.size(), 20u) << date;
  for (std::size_t i = 0; i < 19; ++i) {
    const char expected = "0000-00-00T00:00:00"[i];
    EXPECT_TRUE(expected == '0' ? std::isdigit(static_cast<unsigned char>(date[i])) != 0
                                : date[i] == expected)
        << date;
  }
  EXPECT_EQ(date.back(), '\n');

  EXPECT_FALSE(platform::MoveToTrash(folder / "missing").Ok());
  EXPECT_FALSE(platform::MoveToTrash("relative").Ok());
  EXPECT_FALSE(fs::exists(folder / "data/Trash/info/missing.trashinfo"));
}

}  // namespace
}  // namespace tarnwell
