// Replacing files atomically: the old file survives every failure, no
// temporary file is left behind, and nothing planted in the folder is
// followed.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/AtomicFile.h"
#include "tests/TempFolder.h"
#include "tests/Unprivileged.h"

namespace tarnwell::platform {
namespace {

namespace fs = std::filesystem;
using testing::Contents;
using testing::Put;

class AtomicFileTest : public ::testing::Test {
protected:
  // Names in the folder, so a stray temporary file shows up.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  testing::TempFolder temp_;
  fs::path folder_ = temp_.Path();
  std::string path_ = (folder_ / "tarnwell.INI").string();
};

TEST_F(AtomicFileTest, CreatesAndReplacesWithoutLeftovers) {
  ASSERT_TRUE(ReplaceFileAtomically(path_, "first\n").Ok());
  EXPECT_EQ(Contents(path_), "first\n");
  ASSERT_TRUE(ReplaceFileAtomically(path_, "").Ok());
  EXPECT_EQ(Contents(path_), "");
  ASSERT_TRUE(ReplaceFileAtomically(path_, std::string(1 << 20, 'x')).Ok());
  EXPECT_EQ(fs::file_size(path_), 1u << 20);
  EXPECT_EQ(Names(), std::vector<std::string>{"tarnwell.INI"});
}

TEST_F(AtomicFileTest, KeepsTheModeOfAnExistingFile) {
  Put(path_, "old");
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);
  ASSERT_TRUE(ReplaceFileAtomically(path_, "new").Ok());
  EXPECT_EQ(fs::status(path_).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(AtomicFileTest, LinkAtTheTemporaryNameIsNotFollowed) {
  const fs::path victim = folder_ / "victim";
  Put(victim, "untouched");
  fs::create_symlink(victim, path_ + ".tmp");
  Put(path_ + ".tmp1", "someone else's");
  Put(path_, "old");

  ASSERT_TRUE(ReplaceFileAtomically(path_, "new").Ok());
  EXPECT_EQ(Contents(path_), "new");
  EXPECT_EQ(Contents(victim), "untouched");
  // What was planted stays as it was; ours is gone.
  EXPECT_TRUE(fs::is_symlink(path_ + ".tmp"));
  EXPECT_EQ(Contents(path_ + ".tmp1"), "someone else's");
  EXPECT_FALSE(fs::exists(path_ + ".tmp2"));
}

TEST_F(AtomicFileTest, FailedRenameRemovesTheTemporaryFile) {
  fs::create_directory(path_);
  Put(fs::path(path_) / "inside", "kept");
  EXPECT_FALSE(ReplaceFileAtomically(path_, "new").Ok());
  EXPECT_EQ(Contents(fs::path(path_) / "inside"), "kept");
  EXPECT_EQ(Names(), std::vector<std::string>{"tarnwell.INI"});

  EXPECT_FALSE(ReplaceFileAtomically((folder_ / "missing" / "x.INI").string(), "new").Ok());
  EXPECT_FALSE(ReplaceFileAtomically("", "new").Ok());
}

TEST_F(AtomicFileTest, ReadOnlyFolderOrFileLeavesTheOldFile) {
  Put(path_, "old");
  // Without any write bit the file is frozen, for root as well.
  fs::permissions(path_, fs::perms::owner_read);
  EXPECT_FALSE(ReplaceFileAtomically(path_, "new").Ok());
  fs::permissions(path_, fs::perms::owner_read | fs::perms::owner_write);

  // The user's own file in a folder the user may not write in.
  fs::permissions(folder_, fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
  EXPECT_EQ(
      testing::RunUnprivileged(path_, [&] { return ReplaceFileAtomically(path_, "new").Ok(); }), 0);
  EXPECT_EQ(Contents(path_), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"tarnwell.INI"});
}

TEST_F(AtomicFileTest, SavesThroughALinkAndClearsOnlyItsOwnStaleTemporaries) {
  const fs::path target = folder_ / "real.INI";
  Put(target, "old");
  fs::create_symlink("real.INI", path_);
  // Left by a save that was killed: a temporary of a process that is gone.
  Put(path_ + ".tmp-999999999-0", "stale");
  // The user's own files, however old or close to the pattern, stay.
  for (const char* mine : {".tmp7", ".tmp2", ".tmp-999999999-0x", ".tmp-abc-0", ".tmp-999999999"}) {
    Put(path_ + mine, "mine");
    fs::last_write_time(path_ + mine, fs::file_time_type::clock::now() - std::chrono::hours(2));
  }

  ASSERT_TRUE(ReplaceFileAtomically(path_, "new").Ok());
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(Contents(target), "new");
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"real.INI", "tarnwell.INI", "tarnwell.INI.tmp-999999999",
                                      "tarnwell.INI.tmp-999999999-0x", "tarnwell.INI.tmp-abc-0",
                                      "tarnwell.INI.tmp2", "tarnwell.INI.tmp7"}));
}

TEST_F(AtomicFileTest, NeverWritesThroughALinkItMayNotFollowNorReplacesAFifo) {
  const fs::path victim = folder_ / "victim";
  Put(victim, "untouched");
  fs::create_symlink(victim, path_);
  // A report: even the user's own link is refused, and says so.
  SaveResult saved = ReplaceFileAtomically(path_, "new", LinkAtPath::Refuse);
  EXPECT_FALSE(saved.Ok());
  EXPECT_EQ(saved.Reason(), SaveRefusal::Link);
  // Anyone else's link (root owns this test's folder in CI) is never followed.
  if (::geteuid() == 0) {
    ASSERT_EQ(::lchown(path_.c_str(), testing::NobodyId, testing::NobodyId), 0);
    saved = ReplaceFileAtomically(path_, "new", LinkAtPath::FollowOwn);
    EXPECT_FALSE(saved.Ok());
    EXPECT_EQ(saved.Reason(), SaveRefusal::ForeignLink);
  }
  EXPECT_TRUE(fs::is_symlink(path_));
  EXPECT_EQ(Contents(victim), "untouched");

  // A FIFO (as a device) is not replaced by a file, whoever asks.
  fs::remove(path_);
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  for (LinkAtPath links : {LinkAtPath::Refuse, LinkAtPath::FollowOwn}) {
    saved = ReplaceFileAtomically(path_, "new", links);
    EXPECT_FALSE(saved.Ok());
    EXPECT_EQ(saved.Reason(), SaveRefusal::NotRegular);
  }
  EXPECT_TRUE(fs::is_fifo(path_));
  // A plain file or none is written as ever; a failure gives the system's words.
  EXPECT_TRUE(ReplaceFileAtomically(path_ + ".html", "report", LinkAtPath::Refuse).Ok());
  saved = ReplaceFileAtomically((folder_ / "missing/x.html").string(), "", LinkAtPath::Refuse);
  EXPECT_FALSE(saved.Ok());
  EXPECT_EQ(saved.code, ENOENT);
  EXPECT_EQ(saved.Reason(), std::strerror(ENOENT));
  EXPECT_EQ(Names(), (std::vector<std::string>{"tarnwell.INI", "tarnwell.INI.html", "victim"}));
}

}  // namespace
}  // namespace tarnwell::platform
