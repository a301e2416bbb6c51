// The whole-drive check: how it sizes itself, what it finds on a drive that
// stores less than it claims, and that it never leaves the drive full.
#include <gtest/gtest.h>

#include <cerrno>

#include "engine/judge/VerifyNotes.h"
#include "engine/output/RunDocument.h"
#include "engine/output/RunNotes.h"
#include "engine/run/BenchmarkRun.h"
#include "engine/run/WholeDriveCheck.h"
#include "tests/FakeFileSystem.h"

namespace tarnwell {
namespace {

using testing::FakeFileSystem;
constexpr std::int64_t MB = 1048576;

TEST(WholeDriveCheckTest, SizeLeavesTheLargerMarginAndKeepsToEightDigitNames) {
  // 16 MB beats 0.5 % up to 3.2 GB of free space, and 0.5 % beyond; a file
  // system under 256 MB keeps a sixteenth of its size instead.
  EXPECT_EQ(FreeSpaceMargin(1000 * MB, 2000 * MB), 16 * MB);
  EXPECT_EQ(FreeSpaceMargin(10000 * MB, -1), 50 * MB);
  EXPECT_EQ(FreeSpaceMargin(60 * MB, 64 * MB), 4 * MB);
  EXPECT_EQ(PlanFill(16 * MB + 3 * MB + 1, -1, static_cast<std::int32_t>(MB))->FileCount, 3);
  EXPECT_FALSE(PlanFill(16 * MB + MB - 1, -1, static_cast<std::int32_t>(MB)));
  EXPECT_FALSE(PlanFill(-1, -1, static_cast<std::int32_t>(MB)));
  // A 64 MB stick with 60 MB free holds 56 files; files a kept check left
  // count as room.
  EXPECT_EQ(PlanFill(60 * MB, 64 * MB, static_cast<std::int32_t>(MB))->FileCount, 56);
  EXPECT_EQ(PlanFill(0, 64 * MB, static_cast<std::int32_t>(MB), 56 * MB)->FileCount, 52);
  // 1 KB files on 1 PB: the names stop at 99999999.
  EXPECT_EQ(PlanFill(MB * MB * 1024, -1, 1024)->FileCount, FillMaxFiles);
  // 2 TB of 100 MB files: past 32 bits in bytes, not in files.
  const std::optional<FillPlan> large = PlanFill(2 * MB * MB, -1, 100 * MB);
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
    device.CapacityBytes = FreeBytes + 500 * MB;
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
  EXPECT_EQ(record.Fill->CapacityBytes, 548 * MB);
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

TEST_F(FillRunTest, ADriveFullBeforeItsFreeSpaceSaidIsCheckedAsFarAsItHoldsAndSaysWhy) {
  FakeFileSystem& files = Environment.FileSystem;
  files.FailAt[FakeFileSystem::Call::Write] = 21;  // the disk fills at file 21
  files.FailCode = ENOSPC;
  // The file system still shows 100 MB free: the store beneath ran out.
  files.SpaceNow = [] {
    platform::SpaceReport space;
    space.FreeBytes = 100 * MB;
    return space;
  };
  RunRecord record = Run(true);
  ASSERT_EQ(Outcome.Result, RunOutcome::Kind::Completed) << Outcome.Message;
  EXPECT_EQ(record.FileCount, 20);
  EXPECT_EQ(files.Files.size(), 20u);  // kept, as asked; the torn one gone
  EXPECT_EQ(record.Fill->PlannedBytes, 32 * MB);
  EXPECT_EQ(record.Fill->WrittenBytes, 20 * MB);
  EXPECT_EQ(record.Fill->Shortfall, FillShortfall::FreeSpaceShown);
  EXPECT_EQ(RunVerification(record).Counts.Total(), 20 * MB / 512);
  EXPECT_TRUE(FillFellShort(record));
  std::vector<std::string> notes = RunNotes(record);
  EXPECT_EQ(notes.back(),
            "書き込めた 20 MB はすべて書いたとおりに読めましたが、予定の残り 12 MB は検査"
            "できていません。ドライブ全体の容量は確かめられていません");
  EXPECT_NE(notes[notes.size() - 2].find("まだ 100 MB の空きが表示されています"),
            std::string::npos);
  // Read back from the history as written.
  EXPECT_EQ(ParseHistoryLine(HistoryLine(record))->Fill->Shortfall, FillShortfall::FreeSpaceShown);

  // An I/O error is checked as far as it holds too, and named.
  files.Files.clear();
  files.FailAt[FakeFileSystem::Call::Write] = files.Count(FakeFileSystem::Call::Write) + 21;
  files.FailCode = EIO;
  record = Run(false);
  ASSERT_EQ(Outcome.Result, RunOutcome::Kind::Completed) << Outcome.Message;
  EXPECT_EQ(record.Fill->Shortfall, FillShortfall::WriteError);
  EXPECT_EQ(record.Fill->StopReason, platform::ErrorText(EIO));
  EXPECT_TRUE(files.Files.empty());
}

TEST(WholeDriveCheckTest, TheCauseOfAnEarlyFullDiskComesFromTheFileSystemsFigures) {
  FillStopFacts facts;
  facts.NoSpace = true;
  facts.FreeBefore = 48 * MB;
  facts.FileSize = static_cast<std::int32_t>(MB);
  facts.Files = 20;
  facts.WrittenBytes = facts.AllocatedBytes = 20 * MB;
  facts.SpaceAfter.FreeBytes = 0;
  facts.SpaceAfter.Files = 1000;
  facts.SpaceAfter.FreeFiles = 0;
  EXPECT_EQ(ClassifyShortfall(facts), FillShortfall::Inodes);
  facts.SpaceAfter.FreeFiles = 900;
  // 28 MB gone that the files do not hold: someone else wrote.
  EXPECT_EQ(ClassifyShortfall(facts), FillShortfall::OtherWriters);
  // Small files take whole blocks: the files hold all that went.
  facts.AllocatedBytes = 48 * MB;
  EXPECT_EQ(ClassifyShortfall(facts), FillShortfall::WholeBlocks);
  // Neither, as far as can be told (the free space before unknown).
  facts.AllocatedBytes = 20 * MB;
  facts.FreeBefore = -1;
  EXPECT_EQ(ClassifyShortfall(facts), FillShortfall::Records);
  facts.NoSpace = false;
  EXPECT_EQ(ClassifyShortfall(facts), FillShortfall::WriteError);
}

TEST_F(FillRunTest, KeptFilesCountAsRoomAndAStopInTheReadPhaseKeepsWhatVerified) {
  FakeFileSystem& files = Environment.FileSystem;
  // An earlier kept check left 40 files of 1 MB; 8 MB is free now.
  files.Directories.insert("/data/TRW_TEMP");
  for (int j = 1; j <= 40; ++j) files.Files["/data/TRW_TEMP/" + TestFileName(j)].resize(MB);
  Environment.FreeBytes = 8 * MB;
  // Stopped during the read of file 11 (its one block still lands).
  StopAtWrite = 0;
  files.Hook = nullptr;
  MakeFillChoices(Choices, true);
  BenchmarkRun run(Choices, Buffer, Generator, Observer, Environment);
  files.Hook = [&](FakeFileSystem::Call call, int n) {
    if (call == FakeFileSystem::Call::Read && n == 11) run.RequestStop();
  };
  Outcome = run.Execute();
  const RunRecord record = run.Record(Outcome);
  EXPECT_EQ(Outcome.Result, RunOutcome::Kind::Interrupted);
  EXPECT_EQ(record.Fill->PlannedBytes, 32 * MB);  // 48 MB less the 16 MB margin
  EXPECT_EQ(record.Fill->VerifiedBytes, 11 * MB);
  EXPECT_EQ(record.Fill->UsableBytes, -1);  // no size claimed
  EXPECT_TRUE(files.Files.empty());         // the 8 past the plan too
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
  EXPECT_EQ(back->Fill->CapacityBytes, 548 * MB);
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
