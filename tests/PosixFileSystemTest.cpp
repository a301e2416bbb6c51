// The real file system under the benchmark: direct-I/O test files, links that
// must never be followed, private folders, interruptible pauses, and a disk
// that runs full in the middle of a run.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <iterator>

#include "engine/run/BenchmarkRun.h"
#include "engine/run/RunFolder.h"
#include "engine/run/TestFiles.h"
#include "platform/FileSystem.h"
#include "platform/Sleep.h"
#include "tests/TempFolder.h"

namespace tarnwell {
namespace {

using testing::Contents;
using testing::Put;
using testing::TempFolder;

TEST(PosixFileSystem, TestFilesCarryThePatternAndReadBackIntoIt) {
  TempFolder folder;
  PatternBuffer buffer;
  Generator generator;
  buffer.Fill(generator);
  std::atomic<bool> stop{false};
  platform::FileSystem& files = platform::SystemFileSystem();
  TestFileTransfers transfers(files, buffer, stop);
  const platform::FolderResult run = files.OpenRunFolder(folder.Path());
  ASSERT_EQ(run.error, platform::IoError::None);
  transfers.Folder = run.handle;

  const std::string kb = folder / "00000001.bin";
  const std::string mb = folder / "00000002.bin";
  ASSERT_EQ(transfers.WriteTestFileKB("00000001.bin", 3), TransferStatus::Done);
  ASSERT_EQ(transfers.WriteTestFileMB("00000002.bin", 2), TransferStatus::Done);
  const std::string kbBytes = Contents(kb);
  ASSERT_EQ(kbBytes.size(), 3072u);
  EXPECT_EQ(0, std::memcmp(kbBytes.data() + 2048, buffer.KilobyteBlock(), 1024));
  const std::string mbBytes = Contents(mb);
  ASSERT_EQ(mbBytes.size(), 2097152u);
  EXPECT_EQ(0, std::memcmp(mbBytes.data() + 1048576, buffer.MegabyteBlock(), 1048576));

  const std::uint32_t first = buffer.KilobyteBlock()[0];
  buffer.KilobyteBlock()[0] = ~first;
  EXPECT_EQ(transfers.ReadTestFileKB("00000001.bin", 3), TransferStatus::Done);
  EXPECT_EQ(buffer.KilobyteBlock()[0], first);
  // Asking for more blocks than the file has is a short read.
  EXPECT_EQ(transfers.ReadTestFileKB("00000001.bin", 4), TransferStatus::ReadFailed);
  EXPECT_EQ(transfers.ReadTestFileMB("missing.bin", 1), TransferStatus::OpenFailed);
  EXPECT_EQ(platform::ErrorText(transfers.LastErrorCode), std::strerror(ENOENT));
  // A pending stop request ends a transfer before its first block.
  stop = true;
  EXPECT_EQ(transfers.WriteTestFileMB("00000002.bin", 2), TransferStatus::Stopped);
  files.CloseFolder(run.handle);
}

TEST(PosixFileSystem, NeverFollowsALinkPlantedAtAFileName) {
  TempFolder folder;
  const std::string target = folder / "precious.txt";
  std::ofstream(target) << "keep me";
  const std::string planted = folder / "00000001.bin";
  ASSERT_EQ(::symlink(target.c_str(), planted.c_str()), 0);

  // A FIFO (and so a device) at a test-file name never blocks the run.
  ASSERT_EQ(::mkfifo((folder / "00000002.bin").c_str(), 0600), 0);

  platform::FileSystem& files = platform::SystemFileSystem();
  const platform::FolderResult run = files.OpenRunFolder(folder.Path());
  ASSERT_EQ(run.error, platform::IoError::None);
  for (const char* name : {"00000001.bin", "00000002.bin"}) {
    for (platform::IoMode mode : {platform::IoMode::Direct, platform::IoMode::SyncBuffered}) {
      EXPECT_EQ(files.CreateForWrite(run.handle, name, mode).error, platform::IoError::NotRegular);
      EXPECT_EQ(files.OpenForRead(run.handle, name, mode).error, platform::IoError::NotRegular);
    }
    EXPECT_FALSE(files.RemoveFile(run.handle, name).Ok());  // not ours to delete
  }
  files.CloseFolder(run.handle);
  EXPECT_EQ(Contents(target), "keep me");

  // A text file replaces a link at its name instead of writing through it,
  // and an abandoned one leaves the old text and no temporary behind.
  const platform::OpenResult text = files.CreateText(planted.c_str());
  ASSERT_EQ(text.error, platform::IoError::None);
  ASSERT_EQ(files.Write(text.handle, "new", 3).error, platform::IoError::None);
  ASSERT_TRUE(files.CommitText(text.handle).Ok());
  EXPECT_EQ(Contents(target), "keep me");
  EXPECT_EQ(Contents(planted), "new");
  EXPECT_TRUE(files.Close(files.CreateText(planted.c_str()).handle).Ok());
  EXPECT_EQ(Contents(planted), "new");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 3);
  // A FIFO at a text file's name is not replaced by it.
  const std::string fifo = folder / "00000002.bin";
  EXPECT_EQ(files.CreateText(fifo.c_str()).error, platform::IoError::NotRegular);
  EXPECT_TRUE(std::filesystem::is_fifo(fifo));

  // A private folder is made owner-only, and a link in its place is refused.
  const std::string cache = folder / "cache/tarnwell";
  ASSERT_TRUE(files.MakePrivateDirectories(cache).Ok());
  struct stat info {};
  ASSERT_EQ(::stat(cache.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u);
  const std::string linkedCache = folder / "linked";
  ASSERT_EQ(::symlink(folder.Path().c_str(), linkedCache.c_str()), 0);
  EXPECT_FALSE(files.MakePrivateDirectories(linkedCache).Ok());
}

TEST(PosixFileSystem, RunFolderIsMadeWithEveryMissingParent) {
  TempFolder folder;
  platform::FileSystem& files = platform::SystemFileSystem();
  EXPECT_EQ(RunFolderFor(folder / "a"), folder / "a/TRW_TEMP/");
  EXPECT_EQ(RunFolderFor(folder / "a/"), folder / "a/TRW_TEMP/");
  EXPECT_EQ(RunFolderFor("/"), "/TRW_TEMP/");
  EXPECT_TRUE(ForceDirectories(files, folder / "a//b/c/TRW_TEMP/").Ok());
  EXPECT_TRUE(files.IsDirectory(folder / "a/b/c/TRW_TEMP"));
  EXPECT_TRUE(ForceDirectories(files, folder / "a/b/c/TRW_TEMP/").Ok());  // already there
  std::ofstream(folder / "file") << "x";
  const FolderCreation made = ForceDirectories(files, folder / "file/TRW_TEMP/");
  EXPECT_FALSE(made.Ok());
  EXPECT_EQ(made.code, EEXIST);  // a file where a folder must be
  EXPECT_EQ(made.refused, folder / "file");
  // A creation that fails deep down takes back the folders it made.
  EXPECT_FALSE(
      ForceDirectories(files, folder / "new/" + std::string(300, 'x') + "/TRW_TEMP/").Ok());
  EXPECT_FALSE(std::filesystem::exists(folder / "new"));
  // A failing call carries its own native code and words, whatever the
  // thread's errno says by the time the caller looks.
  const platform::Status missing = files.MakeDirectory(folder / "none/x");
  errno = 0;
  EXPECT_EQ(missing.error, platform::IoError::Failed);
  EXPECT_EQ(missing.code, ENOENT);
  EXPECT_EQ(missing.Text(), std::strerror(ENOENT));
  EXPECT_EQ(files.RemoveFolder(folder / "a").code, ENOTEMPTY);
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

RunChoices SmallRun(const std::string& folder) {
  RunChoices choices;
  choices.Folder = folder;
  choices.FileSizeIndex = 0;  // 1KB files, 1MB: 1024 files
  choices.TotalSizeIndex = 0;
  choices.OneMegabyteBlocks = false;
  choices.Parameters.ReadPercent = 100;
  choices.DeleteFiles = true;
  return choices;
}

TEST(PosixRun, ARunFolderThatIsNotWhatItSeemsIsNeverUsed) {
  TempFolder folder;
  PatternBuffer buffer;
  Generator generator;
  SilentObserver observer;
  RunEnvironment environment;
  auto run = [&](const std::string& where) {
    return BenchmarkRun(SmallRun(where), buffer, generator, observer, environment).Execute();
  };

  // TRW_TEMP planted as a link to someone else's files.
  std::filesystem::create_directory(folder / "victim");
  Put(folder / "victim/00000001.bin", "precious");
  std::filesystem::create_directory(folder / "shared");
  ASSERT_EQ(::symlink((folder / "victim").c_str(), (folder / "shared/TRW_TEMP").c_str()), 0);
  RunOutcome outcome = run(folder / "shared");
  EXPECT_EQ(outcome.Result, RunOutcome::Kind::Stopped);
  EXPECT_TRUE(outcome.Message.starts_with("テンポラリ・ディレクトリを作成できませんでした\n"))
      << outcome.Message;
  EXPECT_EQ(Contents(folder / "victim/00000001.bin"), "precious");

  // A second run on a folder that another run holds touches nothing.
  std::filesystem::create_directories(folder / "busy/TRW_TEMP");
  Put(folder / "busy/TRW_TEMP/00000001.bin", "first run's");
  const platform::FolderResult first =
      platform::SystemFileSystem().OpenRunFolder(folder / "busy/TRW_TEMP");
  ASSERT_EQ(first.error, platform::IoError::None);
  outcome = run(folder / "busy");
  EXPECT_EQ(outcome.Message, folder / "busy/TRW_TEMP/は別の測定が使用中です");
  EXPECT_EQ(Contents(folder / "busy/TRW_TEMP/00000001.bin"), "first run's");
  platform::SystemFileSystem().CloseFolder(first.handle);
  EXPECT_EQ(run(folder / "busy").Result, RunOutcome::Kind::Completed);

  // A file hard-linked in at a test-file name is another name of the user's
  // file: neither written, emptied nor removed, even with deletion chosen.
  std::filesystem::create_directories(folder / "linked/TRW_TEMP");
  ASSERT_EQ(::link((folder / "victim/00000001.bin").c_str(),
                   (folder / "linked/TRW_TEMP/00000002.bin").c_str()),
            0);
  outcome = run(folder / "linked");
  EXPECT_EQ(outcome.Message,
            folder / "linked/TRW_TEMP/00000002.binに書き込めません\n" + RunMessages::HardLinked);
  EXPECT_EQ(Contents(folder / "victim/00000001.bin"), "precious");
  EXPECT_EQ(Contents(folder / "linked/TRW_TEMP/00000002.bin"), "precious");
  EXPECT_FALSE(std::filesystem::exists(folder / "linked/TRW_TEMP/00000001.bin"));

  // A path longer than the system takes makes no folders at all.
  outcome = run(folder / "long/" + std::string(5000, 'x'));
  EXPECT_EQ(outcome.Message, "テンポラリ・ディレクトリを作成できませんでした\nパスが長すぎます");
  EXPECT_FALSE(std::filesystem::exists(folder / "long"));
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
  EXPECT_TRUE(
      outcome.Message.ends_with(".binに書き込めません\n" + std::string(std::strerror(ENOSPC))))
      << outcome.Message;
  // A file system in memory measures memory, and the run says so.
  EXPECT_NE(std::find(observer.Notices.begin(), observer.Notices.end(), RunMessages::InMemory),
            observer.Notices.end());
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
