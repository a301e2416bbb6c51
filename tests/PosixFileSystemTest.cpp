// The real file system under the benchmark: direct-I/O test files, links that
// must never be followed, private folders, interruptible pauses, and a disk
// that runs full in the middle of a run.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/BenchmarkRun.h"
#include "engine/RunFolder.h"
#include "engine/TestFiles.h"
#include "platform/FileSystem.h"
#include "platform/Sleep.h"
#include "tests/TempFolder.h"

namespace tarnwell {
namespace {

using testing::Contents;
using testing::TempFolder;

TEST(PosixFileSystem, TestFilesCarryThePatternAndReadBackIntoIt) {
  TempFolder folder;
  PatternBuffer buffer;
  Generator generator;
  buffer.Fill(generator);
  std::atomic<bool> stop{false};
  TestFileTransfers transfers(platform::SystemFileSystem(), buffer, stop);

  const std::string kb = folder / "00000001.bin";
  const std::string mb = folder / "00000002.bin";
  ASSERT_EQ(transfers.WriteTestFileKB(kb.c_str(), 3), TransferStatus::Done);
  ASSERT_EQ(transfers.WriteTestFileMB(mb.c_str(), 2), TransferStatus::Done);
  const std::string kbBytes = Contents(kb);
  ASSERT_EQ(kbBytes.size(), 3072u);
  EXPECT_EQ(0, std::memcmp(kbBytes.data() + 2048, buffer.KilobyteBlock(), 1024));
  const std::string mbBytes = Contents(mb);
  ASSERT_EQ(mbBytes.size(), 2097152u);
  EXPECT_EQ(0, std::memcmp(mbBytes.data() + 1048576, buffer.MegabyteBlock(), 1048576));

  const std::uint32_t first = buffer.KilobyteBlock()[0];
  buffer.KilobyteBlock()[0] = ~first;
  EXPECT_EQ(transfers.ReadTestFileKB(kb.c_str(), 3), TransferStatus::Done);
  EXPECT_EQ(buffer.KilobyteBlock()[0], first);
  // Asking for more blocks than the file has is a short read.
  EXPECT_EQ(transfers.ReadTestFileKB(kb.c_str(), 4), TransferStatus::ReadFailed);
  EXPECT_EQ(transfers.ReadTestFileMB((folder / "missing.bin").c_str(), 1),
            TransferStatus::OpenFailed);
  // A pending stop request ends a transfer before its first block.
  stop = true;
  EXPECT_EQ(transfers.WriteTestFileMB(mb.c_str(), 2), TransferStatus::Stopped);
}

TEST(PosixFileSystem, NeverFollowsALinkPlantedAtAFileName) {
  TempFolder folder;
  const std::string target = folder / "precious.txt";
  std::ofstream(target) << "keep me";
  const std::string planted = folder / "00000001.bin";
  ASSERT_EQ(::symlink(target.c_str(), planted.c_str()), 0);

  platform::FileSystem& files = platform::SystemFileSystem();
  EXPECT_EQ(files.CreateForWrite(planted.c_str(), platform::IoMode::Direct).error,
            platform::IoError::Failed);
  EXPECT_EQ(files.CreateForWrite(planted.c_str(), platform::IoMode::SyncBuffered).error,
            platform::IoError::Failed);
  EXPECT_EQ(files.CreateText(planted.c_str()).error, platform::IoError::Failed);
  EXPECT_EQ(files.OpenForRead(planted.c_str(), platform::IoMode::Direct).error,
            platform::IoError::Failed);
  EXPECT_EQ(Contents(target), "keep me");

  // A private folder is made owner-only, and a link in its place is refused.
  const std::string cache = folder / "cache/tarnwell";
  ASSERT_TRUE(files.MakePrivateDirectories(cache));
  struct stat info {};
  ASSERT_EQ(::stat(cache.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  const std::string linkedCache = folder / "linked";
  ASSERT_EQ(::symlink(folder.Path().c_str(), linkedCache.c_str()), 0);
  EXPECT_FALSE(files.MakePrivateDirectories(linkedCache));
}

TEST(PosixFileSystem, RunFolderIsMadeWithEveryMissingParent) {
  TempFolder folder;
  platform::FileSystem& files = platform::SystemFileSystem();
  EXPECT_EQ(RunFolderFor(folder / "a"), folder / "a/TRW_TEMP/");
  EXPECT_EQ(RunFolderFor(folder / "a/"), folder / "a/TRW_TEMP/");
  EXPECT_EQ(RunFolderFor("/"), "/TRW_TEMP/");
  EXPECT_TRUE(ForceDirectories(files, folder / "a//b/c/TRW_TEMP/"));
  EXPECT_TRUE(files.IsDirectory(folder / "a/b/c/TRW_TEMP"));
  EXPECT_TRUE(ForceDirectories(files, folder / "a/b/c/TRW_TEMP/"));  // already there
  std::ofstream(folder / "file") << "x";
  EXPECT_FALSE(ForceDirectories(files, folder / "file/TRW_TEMP/"));
}

TEST(PosixSleep, PausesUnlessAStopIsPending) {
  std::atomic<bool> stop{false};
  EXPECT_TRUE(platform::SleepUnlessStopped(0, stop));
  EXPECT_TRUE(platform::SleepUnlessStopped(5, stop));
  stop = true;
  EXPECT_FALSE(platform::SleepUnlessStopped(60000, stop));
}

class SilentObserver : public RunObserver {
public:
  void ResultTextChanged(const std::string& text) override { Text = text; }
  void Notice(const std::string& text) override { Notices.push_back(text); }
  std::string Text;
  std::vector<std::string> Notices;
};

class ListInFolder : public RunEnvironment {
public:
  explicit ListInFolder(std::string list) : list_(std::move(list)) {}
  std::string RandomListPath() override { return list_; }

private:
  std::string list_;
};

TEST(PosixRun, RealRunInRandomOrderLeavesOnlyTheList) {
  TempFolder folder;
  RunChoices choices;
  choices.Folder = folder / "bench";
  choices.FileSizeIndex = 0;  // 1KB files, 1MB: 1024 files
  choices.TotalSizeIndex = 0;
  choices.OneMegabyteBlocks = false;
  choices.RepeatIndex = 1;
  choices.ReadRandom = true;
  choices.ReadPercentageIndex = 5;  // 5 %
  choices.Parameters.ReadPercent = 5;
  choices.DeleteFiles = true;
  PatternBuffer buffer;
  Generator generator;
  buffer.Fill(generator);
  SilentObserver observer;
  ListInFolder environment(folder / "cache/tarnwell/test.txt");
  BenchmarkRun run(choices, buffer, generator, observer, environment);
  const RunOutcome outcome = run.Execute();
  ASSERT_EQ(outcome.Result, RunOutcome::Kind::Completed) << outcome.Message;
  EXPECT_EQ(run.ReadCount(), 51);
  EXPECT_NE(observer.Text.find("●読み込み"), std::string::npos);
  EXPECT_EQ(Contents(folder / "cache/tarnwell/test.txt").size(), 51u * 14);
  // Everything the run made under the chosen folder is gone but the folder.
  EXPECT_TRUE(std::filesystem::is_empty(folder / "bench"));
}

// Mounting needs privileges; where there are none the test says so.
class FullDisk : public ::testing::Test {
protected:
  void SetUp() override {
    if (::mount("tarnwell-test", folder_.Path().c_str(), "tmpfs", 0, "size=3m") != 0) {
      GTEST_SKIP() << "cannot mount a small tmpfs here (" << std::strerror(errno) << ")";
    }
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) ::umount2(folder_.Path().c_str(), MNT_DETACH);
  }
  TempFolder folder_;
  bool mounted_ = false;
};

TEST_F(FullDisk, AWriteThatDoesNotFitStopsTheRunAndCleansUp) {
  RunChoices choices;
  choices.Folder = folder_.Path();
  choices.FileSizeIndex = 3;   // 1MB files
  choices.TotalSizeIndex = 1;  // 10MB: more than the 3 MB disk
  choices.OneMegabyteBlocks = true;
  choices.DeleteFiles = true;
  PatternBuffer buffer;
  Generator generator;
  SilentObserver observer;
  RunEnvironment environment;
  BenchmarkRun run(choices, buffer, generator, observer, environment);
  const RunOutcome outcome = run.Execute();
  EXPECT_EQ(outcome.Result, RunOutcome::Kind::Stopped);
  EXPECT_TRUE(outcome.Message.ends_with(".binに書き込めません")) << outcome.Message;
  EXPECT_TRUE(observer.Text.empty());
  EXPECT_TRUE(std::filesystem::is_empty(folder_.Path()));

  // Without deletion the files written stay for the user to look at.
  choices.DeleteFiles = false;
  BenchmarkRun keep(choices, buffer, generator, observer, environment);
  EXPECT_EQ(keep.Execute().Result, RunOutcome::Kind::Stopped);
  EXPECT_TRUE(std::filesystem::exists(folder_ / "TRW_TEMP/00000001.bin"));
}

}  // namespace
}  // namespace tarnwell
