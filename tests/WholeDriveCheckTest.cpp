// The whole-drive check: how it sizes itself, what it finds on a drive that
// stores less than it claims, and that it never leaves the drive full.
#include <gtest/gtest.h>

#include <cerrno>

#include "engine/BenchmarkRun.h"
#include "engine/RunNotes.h"
#include "engine/VerifyNotes.h"
#include "engine/WholeDriveCheck.h"
#include "tests/FakeFileSystem.h"

namespace tarnwell {
namespace {

using testing::FakeFileSystem;
constexpr std::int64_t MB = 1048576;

TEST(WholeDriveCheckTest, SizeLeavesTheLargerMarginAndKeepsToEightDigitNames) {
  // 16 MB beats 0.5 % up to 3.2 GB of free space, and 0.5 % beyond.
  EXPECT_EQ(FillMargin(1000 * MB), 16 * MB);
  EXPECT_EQ(FillMargin(10000 * MB), 50 * MB);
  EXPECT_EQ(PlanFill(16 * MB + 3 * MB + 1, static_cast<std::int32_t>(MB))->FileCount, 3);
  EXPECT_FALSE(PlanFill(16 * MB + MB - 1, static_cast<std::int32_t>(MB)));
  EXPECT_FALSE(PlanFill(-1, static_cast<std::int32_t>(MB)));
  // 1 KB files on 1 PB: the names stop at 99999999.
  EXPECT_EQ(PlanFill(MB * MB * 1024, 1024)->FileCount, FillMaxFiles);
  // 2 TB of 100 MB files: past 32 bits in bytes, not in files.
  const std::optional<FillPlan> large = PlanFill(2 * MB * MB, 100 * MB);
  ASSERT_TRUE(large);
  EXPECT_EQ(large->Bytes(), static_cast<std::int64_t>(large->FileCount) * 100 * MB);
  EXPECT_GT(large->Bytes(), 2 * MB * MB - 2 * MB * MB / 200 - 100 * MB);
}

class FillEnvironment : public RunEnvironment {
public:
  FakeFileSystem FileSystem;
  std::int64_t FreeBytes = 0;
  double Clock = 46000.0;
  platform::FileSystem& Files() override { return FileSystem; }
  double Now() override { return Clock += 0.01 / 86400.0; }
  bool Pause(std::int32_t, const std::atomic<bool>&) override { return true; }
  platform::DeviceIdentity Identify(const std::string& folder) override {
    platform::DeviceIdentity device;
    device.Folder = folder;
    device.FreeBytes = FreeBytes;
    device.CapacityBytes = FreeBytes + 5 * MB;
    return device;
  }
  void Describe(RunRecord& record) override { record.Date = "2026-12-10T06:00:00"; }
};

class FillRunTest : public ::testing::Test {
protected:
  FillRunTest() {
    Choices.Folder = "/data";
    Choices.FileSizeIndex = 3;  // 1MB
    Choices.OneMegabyteBlocks = true;
    Choices.RepeatIndex = 2;  // five, which the check overrides
    Choices.ReadRandom = true;
    Environment.FileSystem.Directories.insert("/data");
    // Room for 32 files of 1 MB after the 16 MB margin.
    Environment.FreeBytes = 48 * MB;
  }

  RunRecord Run(bool keep) {
    MakeFillChoices(Choices, keep);
    BenchmarkRun run(Choices, Buffer, Generator, Observer, Environment);
    if (StopAtWrite > 0) {
      Environment.FileSystem.Hook = [&](FakeFileSystem::Call call, int n) {
        if (call == FakeFileSystem::Call::Write && n == StopAtWrite) run.RequestStop();
      };
    }
    Outcome = run.Execute();
    return run.Record(Outcome);
  }

  RunChoices Choices;
  PatternBuffer Buffer;
  tarnwell::Generator Generator;
  struct : RunObserver {
    void ResultTextChanged(const std::string&) override {}
  } Observer;
  FillEnvironment Environment;
  RunOutcome Outcome;
  int StopAtWrite = 0;
};

TEST_F(FillRunTest, AHealthyDriveVerifiesEverythingWrittenInOneRepetition) {
  const RunRecord record = Run(false);
  ASSERT_EQ(Outcome.Result, RunOutcome::Kind::Completed);
  ASSERT_TRUE(record.Fill);
  EXPECT_EQ(record.FileCount, 32);
  EXPECT_EQ(record.Repeat, 1);
  EXPECT_EQ(record.Total, "32MB");
  EXPECT_EQ(record.Fill->CapacityBytes, 53 * MB);
  EXPECT_EQ(record.Fill->WrittenBytes, 32 * MB);
  EXPECT_EQ(record.Fill->VerifiedBytes, 32 * MB);
  EXPECT_EQ(record.Fill->UsableBytes, 32 * MB);
  // Read back once, in the order written.
  ASSERT_EQ(Environment.FileSystem.Opened.size(), 32u);
  EXPECT_EQ(Environment.FileSystem.Opened[0], "/data/TRW_TEMP/00000001.bin");
  EXPECT_EQ(Environment.FileSystem.Opened[31], "/data/TRW_TEMP/00000032.bin");
  const std::vector<std::string> notes = RunNotes(record);
  EXPECT_NE(std::find(notes.begin(), notes.end(), "実際に使える容量はおよそ 32 MB"), notes.end());
}

TEST_F(FillRunTest, AStoreThatWrapsShowsMisplacedSectorsAndItsRealSize) {
  Environment.FileSystem.StoreBytes = 8 * MB;
  const RunRecord record = Run(false);
  ASSERT_EQ(Outcome.Result, RunOutcome::Kind::Completed);
  ASSERT_TRUE(record.Fill);
  EXPECT_EQ(record.Fill->WrittenBytes, 32 * MB);
  // Only the last 8 MB written read back as written; all else came back as
  // another address's data.
  EXPECT_EQ(record.Fill->VerifiedBytes, 8 * MB);
  EXPECT_EQ(RunVerification(record).Counts[SectorClass::Misplaced], 24 * MB / 512);
  EXPECT_EQ(record.Fill->UsableBytes, 8 * MB);
  const std::vector<std::string> notes = RunNotes(record);
  EXPECT_NE(std::find(notes.begin(), notes.end(), "実際に使える容量はおよそ 8 MB"), notes.end());
  EXPECT_NE(std::find(notes.begin(), notes.end(), WholeDriveTexts::Wrapped), notes.end());
  // The files go, as asked.
  EXPECT_TRUE(Environment.FileSystem.Files.empty());
}

TEST_F(FillRunTest, AStoppedCheckRemovesItsFilesEvenWhenAskedToKeepThem) {
  StopAtWrite = 8;  // one block per file: the eighth file is the last written
  const RunRecord record = Run(true);
  EXPECT_EQ(Outcome.Result, RunOutcome::Kind::Interrupted);
  EXPECT_TRUE(Environment.FileSystem.Files.empty());
  ASSERT_TRUE(record.Fill);
  EXPECT_EQ(record.Fill->WrittenBytes, 8 * MB);
  EXPECT_EQ(record.Fill->UsableBytes, -1);
}

TEST_F(FillRunTest, ADriveFullBeforeItsFreeSpaceSaidIsCheckedAsFarAsItHolds) {
  // Small files take whole blocks and inodes: the disk fills at file 21.
  Environment.FileSystem.FailAt[FakeFileSystem::Call::Write] = 21;
  Environment.FileSystem.FailCode = ENOSPC;
  const RunRecord record = Run(true);
  ASSERT_EQ(Outcome.Result, RunOutcome::Kind::Completed) << Outcome.Message;
  EXPECT_EQ(record.FileCount, 20);
  EXPECT_EQ(Environment.FileSystem.Files.size(), 20u);  // kept, as asked; the torn one gone
  EXPECT_EQ(record.Fill->PlannedBytes, 32 * MB);
  EXPECT_EQ(record.Fill->WrittenBytes, 20 * MB);
  EXPECT_EQ(record.Fill->UsableBytes, 20 * MB);
  EXPECT_EQ(RunVerification(record).Counts.Total(), 20 * MB / 512);
}

TEST_F(FillRunTest, TooLittleRoomIsSaidBeforeAnythingIsWritten) {
  Environment.FreeBytes = 16 * MB;
  Run(false);
  EXPECT_EQ(Outcome.Result, RunOutcome::Kind::Stopped);
  EXPECT_EQ(Outcome.Message, "空き容量（16 MB）が少なすぎて、検査するファイルを 1 つも書けません");
  EXPECT_EQ(Environment.FileSystem.Count(FakeFileSystem::Call::Write), 0);
}

TEST_F(FillRunTest, TheHistoryKeepsWhatTheCheckFoundAndRefusesWhatNoCheckWrites) {
  Environment.FileSystem.StoreBytes = 8 * MB;
  const std::string line = HistoryLine(Run(false));
  const std::optional<RunRecord> back = ParseHistoryLine(line);
  ASSERT_TRUE(back && back->Fill);
  EXPECT_EQ(back->Fill->CapacityBytes, 53 * MB);
  EXPECT_EQ(back->Fill->PlannedBytes, 32 * MB);
  EXPECT_EQ(back->Fill->UsableBytes, 8 * MB);
  EXPECT_EQ(back->Total, "32MB");
  std::string damaged = line;
  const std::string usable = "\"usableBytes\": " + std::to_string(8 * MB);
  damaged.replace(damaged.find(usable), usable.size(), "\"usableBytes\": 0.5");
  EXPECT_FALSE(ParseHistoryLine(damaged));
  RunRecord plain;
  plain.Date = "2026-12-10T06:00:00";
  EXPECT_FALSE(ParseHistoryLine(HistoryLine(plain))->Fill);
}

}  // namespace
}  // namespace tarnwell
