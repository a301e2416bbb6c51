// The run end to end against an in-memory file system: the order of phases,
// pauses, reads and deletions, every stop and its message, and the faults a
// real disk produces.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "engine/judge/VerifyNotes.h"
#include "engine/output/RunNotes.h"
#include "engine/run/BenchmarkRun.h"
#include "engine/run/RandomOrder.h"
#include "tests/FakeFileSystem.h"

namespace tarnwell {
namespace {

using testing::FakeFileSystem;
using Call = FakeFileSystem::Call;

class FakeEnvironment : public RunEnvironment {
public:
  FakeFileSystem FileSystem;
  std::vector<std::int32_t> Pauses;
  int StopAtPause = 0;  // cut the n-th pause short
  std::int64_t FreeBytes = -1;
  double Clock = 46000.0;
  double Tick = 0.050 / 86400.0 + 1e-12;  // each stamp 50 ms after the last

  platform::FileSystem& Files() override { return FileSystem; }
  double Now() override {
    Events += 'N';
    const double now = Clock;
    Clock += Tick;
    return now;
  }
  // Files take 1 ms each, on a clock of their own so the phases stay 50 ms
  // (or on the run's own clock, as in a real run, with OneClock).
  double FileClock = 0;
  bool OneClock = false;
  double FileNow() override {
    if (OneClock) return Now();
    FileClock += 0.0005 / 86400.0;
    return FileClock;
  }
  platform::DeviceIdentity Identify(const std::string& folder) override {
    platform::DeviceIdentity device;
    device.Folder = folder;
    device.FileSystemType = "fakefs";
    device.FreeBytes = FreeBytes;
    return device;
  }
  void Describe(RunRecord& record) override { record.Date = "2026-12-09T10:00:00"; }
  // No device counters unless a test plans some. Every clock stamp and
  // counter reading is logged ('N', 'C'); each reading finds the devices
  // CounterStep bytes further on, and reading number FailReading fails.
  platform::CounterPlan Plan;
  std::string Events;
  std::int64_t CounterStep = 0;
  int FailReading = 0;
  platform::CounterPlan PlanCounters(const std::string&) override { return Plan; }
  platform::CounterSample ReadCounters(const platform::CounterPlan&) override {
    Events += 'C';
    const auto readings = static_cast<std::int64_t>(std::count(Events.begin(), Events.end(), 'C'));
    platform::CounterSample sample;
    sample.ReadBytes = sample.WrittenBytes = readings * CounterStep;
    if (readings == FailReading) sample.Result = platform::Status::Failure(5);
    return sample;
  }
  bool Pause(std::int32_t milliseconds, const std::atomic<bool>&) override {
    Pauses.push_back(milliseconds);
    return static_cast<int>(Pauses.size()) != StopAtPause;
  }
  std::string RandomListPath() override { return "/cache/tarnwell/test.txt"; }
};

class Recorder : public RunObserver {
public:
  std::vector<std::string> Texts;
  std::vector<std::string> Notices;
  std::vector<RunPhase> Phases;
  void ResultTextChanged(const std::string& text) override { Texts.push_back(text); }
  void PhaseChanged(RunPhase phase, std::int32_t) override { Phases.push_back(phase); }
  void Notice(const std::string& text) override { Notices.push_back(text); }
};

class RunTest : public ::testing::Test {
protected:
  RunTest() {
    Choices.Folder = "/data";
    Choices.FileSizeIndex = 2;   // 100KB
    Choices.TotalSizeIndex = 0;  // 1MB: ten files
    Choices.OneMegabyteBlocks = false;
    Choices.RepeatIndex = 0;
    Choices.ReadPercentageIndex = ReadAllIndex;
    Choices.Parameters.ReadPercent = 100;
    Choices.DeleteFiles = false;
    Environment.FileSystem.Directories.insert("/data");
    Generator.RandomSeed = 99;
  }

  RunOutcome Run() {
    BenchmarkRun run(Choices, Buffer, Generator, Observer, Environment);
    if (StopOnCall) {
      Environment.FileSystem.Hook = [&](Call call, int n) {
        if (call == StopOnCall->first && n == StopOnCall->second) run.RequestStop();
      };
    }
    const RunOutcome outcome = run.Execute();
    Parameters = run.Parameters();
    ReadCount = run.ReadCount();
    Record = run.Record(outcome);
    Environment.FileSystem.Hook = nullptr;
    return outcome;
  }

  const std::string& LastText() const { return Observer.Texts.back(); }
  bool HasFile(const std::string& name) const {
    return Environment.FileSystem.Files.count("/data/TRW_TEMP/" + name) > 0;
  }
  bool HasRunFolder() const {
    return Environment.FileSystem.Directories.count("/data/TRW_TEMP") > 0;
  }

  RunChoices Choices;
  PatternBuffer Buffer;
  tarnwell::Generator Generator;
  Recorder Observer;
  FakeEnvironment Environment;
  RunParameters Parameters;
  std::int32_t ReadCount = 0;
  RunRecord Record;
  std::optional<std::pair<Call, int>> StopOnCall;

  std::vector<char>& TestFile(const std::string& name) {
    return Environment.FileSystem.Files.at("/data/TRW_TEMP/" + name);
  }
  const PhaseVerification& ReadVerification(std::size_t repetition = 0) const {
    return *Record.Repetitions.at(repetition).Read->Verification;
  }
};

TEST_F(RunTest, CompleteRunReportsEveryHalfRowThenTheSummaries) {
  Choices.RepeatIndex = 1;  // three repetitions
  Choices.Parameters.WaitMSec = 2000;
  const RunOutcome outcome = Run();
  EXPECT_EQ(outcome.Result, RunOutcome::Kind::Completed);
  EXPECT_EQ(Parameters.FileSize, 102400);
  EXPECT_EQ(Parameters.FileCount, 10);
  // 2N - 1 pauses: none before the first write phase.
  EXPECT_EQ(Environment.Pauses, std::vector<std::int32_t>(5, 2000));
  ASSERT_EQ(Observer.Texts.size(), 7u);
  EXPECT_TRUE(Observer.Texts[0].ends_with("\r\n1\t0.050\t  163.840\t   19.531\t"));
  EXPECT_TRUE(Observer.Texts[1].ends_with("\t0.050\t  163.840\t   19.531\r\n"));
  EXPECT_TRUE(LastText().starts_with(ResultTable::Header));
  EXPECT_NE(LastText().find("\r\n3\t0.050\t"), std::string::npos);
  EXPECT_TRUE(LastText().ends_with("平均転送速度（MB/秒）：19.531\r\n"));
  // The precise clock's own 50 ms; per kind one verdict (no counters here)
  // and one short-phase note.
  EXPECT_NEAR(Record.Repetitions.at(2).Read->ExactSeconds, 0.05, 1e-6);
  EXPECT_NEAR(Record.Repetitions.at(2).Read->ExactMBPerSecond, 19.531, 1e-3);
  EXPECT_EQ(RunNotes(Record).size(), 4u);
  // Each file holds the 1 KB block a hundred times.
  const std::vector<char>& file = Environment.FileSystem.Files.at("/data/TRW_TEMP/00000010.bin");
  ASSERT_EQ(file.size(), 102400u);
  EXPECT_EQ(0, std::memcmp(file.data() + 99 * 1024, Buffer.KilobyteBlock(), 1024));
  EXPECT_EQ(Environment.FileSystem.OpenHandles(), 0);
  // Direct I/O throughout, nothing to tell the user.
  EXPECT_TRUE(Observer.Notices.empty());
  for (platform::IoMode mode : Environment.FileSystem.Modes)
    EXPECT_EQ(mode, platform::IoMode::Direct);
}

TEST_F(RunTest, DeletionRemovesTestFilesEachRepetitionAndTheRunFolderAtTheEnd) {
  Choices.DeleteFiles = true;
  Choices.RepeatIndex = 1;
  Choices.Folder = "/data/new/deeper/";
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  EXPECT_EQ(Environment.FileSystem.Removed.size(), 30u);
  EXPECT_TRUE(Environment.FileSystem.Files.empty());
  EXPECT_FALSE(Environment.FileSystem.Directories.count("/data/new/deeper/TRW_TEMP"));
  // Folders above the run folder that the run made stay.
  EXPECT_TRUE(Environment.FileSystem.Directories.count("/data/new/deeper"));
}

TEST_F(RunTest, EarlyEndsWithoutAMessage) {
  Choices.Folder = "";
  EXPECT_EQ(Run().Result, RunOutcome::Kind::Ended);
  EXPECT_TRUE(Observer.Texts.empty());

  Choices.Folder = "/data";
  Choices.RepeatIndex = 4;  // no selection
  EXPECT_EQ(Run().Result, RunOutcome::Kind::Ended);
  EXPECT_FALSE(HasRunFolder());  // made by the run and left empty
  EXPECT_TRUE(Observer.Texts.empty());
}

TEST_F(RunTest, StopsBeforeAnyPhaseWithTheirMessages) {
  Environment.FileSystem.Files["/data/TRW_TEMP"] = {};  // a file in the way
  RunOutcome outcome = Run();
  EXPECT_EQ(outcome.Result, RunOutcome::Kind::Stopped);
  EXPECT_EQ(outcome.Message, "テンポラリ・ディレクトリを作成できませんでした");
  EXPECT_EQ(outcome.Box, MessageKind::Plain);

  Environment.FileSystem.Files.clear();
  Choices.FileSizeIndex = 4;  // 5MB into 1MB
  Choices.Parameters.FileCount = 33;
  outcome = Run();
  EXPECT_EQ(outcome.Message, "1ファイルの大きさが総容量を超えています");
  EXPECT_FALSE(HasRunFolder());
  EXPECT_EQ(Parameters.FileSize, 5242880);
  EXPECT_EQ(Parameters.FileCount, 33);
  EXPECT_TRUE(Observer.Texts.empty());
}

TEST_F(RunTest, TotalInBytesRunsPastTheListUnlessTheDiskCannotHoldIt) {
  Choices.TotalBytes = 3 << 20;  // no item of the list
  Environment.FreeBytes = 100 << 20;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  EXPECT_EQ(Parameters.FileCount, 30);
  EXPECT_EQ(Record.Total, "3MB");

  // Refused before a byte is written, saying what is free.
  Environment.FileSystem.Files.clear();
  Choices.DeleteFiles = true;
  Choices.TotalBytes = std::int64_t{100} << 20;
  Environment.FreeBytes = std::int64_t{110} << 20;  // less the 16 MB margin: 94 MB
  const RunOutcome outcome = Run();
  EXPECT_EQ(outcome.Result, RunOutcome::Kind::Stopped);
  EXPECT_EQ(outcome.Message,
            "総容量 100MB は空き容量に収まりません（空き容量 110 MB。ファイルシステムのために "
            "16 MB を空けておく必要があります）");
  EXPECT_TRUE(Environment.FileSystem.Files.empty());
  EXPECT_FALSE(HasRunFolder());
  // Reading what is there needs no room.
  Choices.ReadOnly = true;
  EXPECT_NE(Run().Message, outcome.Message);
  // Files a kept run left under the same names are emptied first: their
  // space is the run's (7 MB more than the 6 MB it lacked).
  Choices.ReadOnly = false;
  Environment.FileSystem.Directories.insert("/data/TRW_TEMP");
  for (int j = 1; j <= 7; ++j) {
    Environment.FileSystem.Files["/data/TRW_TEMP/" + TestFileName(j)].resize(1 << 20);
  }
  EXPECT_EQ(Run().Result, RunOutcome::Kind::Completed);

  Choices.ReadOnly = false;
  Choices.TotalBytes = std::int64_t{1} << 40;  // 1TB of 100 KB files: too many
  Environment.FreeBytes = -1;
  EXPECT_EQ(Run().Message, RunMessages::TooManyFiles);
}

TEST_F(RunTest, ReadShareTooSmallStopsAfterTheFirstWriteAndItsPause) {
  Choices.FileSizeIndex = 3;  // one 1MB file
  Choices.OneMegabyteBlocks = true;
  Choices.ReadPercentageIndex = 8;
  Choices.Parameters.ReadPercent = 50;
  Choices.Parameters.WaitMSec = 2000;
  const RunOutcome outcome = Run();
  EXPECT_EQ(outcome.Message, "ファイルの数に比べて、読み込み％が過小です");
  EXPECT_EQ(Environment.Pauses.size(), 1u);
  ASSERT_EQ(Observer.Texts.size(), 1u);
  EXPECT_TRUE(LastText().ends_with("\t"));
  EXPECT_TRUE(HasFile("00000001.bin"));  // the file written stays
}

TEST_F(RunTest, EveryStopAfterFilesExistCleansUpWhenDeletionIsChosen) {
  Choices.DeleteFiles = true;
  FakeFileSystem& files = Environment.FileSystem;
  // Counts go on from run to run: a fault is planted n calls from now.
  auto failIn = [&](Call call, int n) { files.FailAt[call] = files.Count(call) + n; };
  auto stopsClean = [&](const char* what) {
    const RunOutcome outcome = Run();
    EXPECT_EQ(outcome.Result, RunOutcome::Kind::Stopped) << what;
    EXPECT_TRUE(files.Files.empty()) << what;
    EXPECT_FALSE(HasRunFolder()) << what;
    files.FailAt.clear();
  };
  failIn(Call::Read, 250);  // file 3 of the read phase
  stopsClean("a failed read");
  failIn(Call::OpenForRead, 2);
  stopsClean("a file that does not open");
  Choices.ReadRandom = true;
  failIn(Call::CreateText, 1);
  stopsClean("a random-order list that cannot be saved");
  Choices.ReadRandom = false;
  Choices.FileSizeIndex = 3;  // one file, too few for 50 %
  Choices.ReadPercentageIndex = 8;
  Choices.Parameters.ReadPercent = 50;
  stopsClean("a read share too small");
}

TEST_F(RunTest, ReadShareReadsTheFirstFilesInNameOrder) {
  Choices.ReadPercentageIndex = 6;  // 10 % of ten files
  Choices.Parameters.ReadPercent = 10;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  EXPECT_EQ(ReadCount, 1);
  EXPECT_EQ(Environment.FileSystem.Opened, std::vector<std::string>{"/data/TRW_TEMP/00000001.bin"});
  // Read bytes are one file's worth; write bytes all ten.
  EXPECT_NE(LastText().find("\t0.050\t  163.840\t   19.531\t0.050\t   16.384\t    1.953\r\n"),
            std::string::npos);
}

TEST_F(RunTest, ReadOnlyRunsReadWhatAnEarlierRunLeft) {
  Choices.ReadOnly = true;
  RunOutcome outcome = Run();
  EXPECT_EQ(outcome.Message, "/data/TRW_TEMP/00000001.binを開けません");
  ASSERT_EQ(Observer.Texts.size(), 1u);
  EXPECT_TRUE(LastText().ends_with("\r\n1\t0.000\t    0.000\t    0.000\t"));

  // Leave files, then read them twice with deletion: the second repetition
  // finds nothing.
  Choices.ReadOnly = false;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  Choices.ReadOnly = true;
  Choices.DeleteFiles = true;
  Choices.RepeatIndex = 1;
  outcome = Run();
  EXPECT_EQ(outcome.Message, "/data/TRW_TEMP/00000001.binを開けません");
  EXPECT_EQ(Environment.FileSystem.Count(Call::CreateForWrite), 10);  // only the middle run wrote
  EXPECT_EQ(LastText().find("●"), std::string::npos);
}

TEST_F(RunTest, ReadsLandInTheBlocksWritesTakeFrom) {
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  const std::uint32_t written = Buffer.KilobyteBlock()[0];
  Buffer.KilobyteBlock()[0] = written + 1;
  Choices.ReadOnly = true;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  EXPECT_EQ(Buffer.KilobyteBlock()[0], written);
  // A read-only run has no write summary.
  EXPECT_EQ(LastText().find("●書き込み"), std::string::npos);
  EXPECT_NE(LastText().find("●読み込み"), std::string::npos);
}

TEST_F(RunTest, RandomOrderIsSavedAndReadInTheDrawnOrder) {
  Choices.ReadRandom = true;
  Choices.RepeatIndex = 1;
  tarnwell::Generator expected;
  expected.RandomSeed = Generator.RandomSeed;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);

  std::vector<std::string> reads;
  for (int repetition = 0; repetition < 3; ++repetition) {
    for (std::int32_t number : SelectRandomOrder(expected, 10, 10)) {
      reads.push_back("/data/TRW_TEMP/" + TestFileName(number));
    }
  }
  EXPECT_EQ(Environment.FileSystem.Opened, reads);
  // The list holds the last repetition's order, CR LF after each name.
  std::string list;
  for (std::size_t k = 20; k < 30; ++k) list += reads[k].substr(15) + "\r\n";
  const std::vector<char>& saved = Environment.FileSystem.Files.at("/cache/tarnwell/test.txt");
  EXPECT_EQ(std::string(saved.begin(), saved.end()), list);
  EXPECT_TRUE(Environment.FileSystem.Directories.count("/cache/tarnwell"));
  // Each repetition drew a new selection.
  EXPECT_NE(std::vector<std::string>(reads.begin(), reads.begin() + 10),
            std::vector<std::string>(reads.begin() + 10, reads.begin() + 20));
}

TEST_F(RunTest, RandomListThatCannotBeMadeStopsWithTheErrorBox) {
  Choices.ReadRandom = true;
  Environment.FileSystem.FailAt[Call::CreateText] = 1;
  const RunOutcome outcome = Run();
  EXPECT_EQ(outcome.Box, MessageKind::Error);
  EXPECT_EQ(outcome.Message, "ファイル /cache/tarnwell/test.txt を作成できません.");
  EXPECT_TRUE(Environment.FileSystem.Opened.empty());
  EXPECT_EQ(Observer.Texts.size(), 1u);

  // A link planted at the list's name is replaced, never written through;
  // a list that fails halfway leaves the previous one as it was.
  Environment.FileSystem.FailAt.clear();
  Environment.FileSystem.Links.insert("/cache/tarnwell/test.txt");
  EXPECT_EQ(Run().Result, RunOutcome::Kind::Completed);
  EXPECT_FALSE(Environment.FileSystem.Links.count("/cache/tarnwell/test.txt"));
  const std::vector<char> previous = Environment.FileSystem.Files.at("/cache/tarnwell/test.txt");
  // The list is written after the write phase's 1000 blocks.
  Environment.FileSystem.FailAt[Call::Write] = Environment.FileSystem.Count(Call::Write) + 1001;
  EXPECT_EQ(Run().Box, MessageKind::Error);
  EXPECT_EQ(Environment.FileSystem.Files.at("/cache/tarnwell/test.txt"), previous);
  EXPECT_FALSE(Environment.FileSystem.Files.count("/cache/tarnwell/test.txt.tmp"));
}

TEST_F(RunTest, WriteFailuresStopTheRunInsteadOfReportingFalseSpeed) {
  struct Fault {
    Call call;
    int at;
    std::string file;
  };
  // 100 blocks per file: write call 150 is in file 2.
  for (const Fault& fault :
       {Fault{Call::CreateForWrite, 3, "00000003.bin"}, Fault{Call::Write, 150, "00000002.bin"},
        Fault{Call::Flush, 10, "00000010.bin"}, Fault{Call::Close, 1, "00000001.bin"}}) {
    Environment.FileSystem = FakeFileSystem{};
    Environment.FileSystem.Directories = {"/", "/data"};
    Environment.FileSystem.FailAt[fault.call] = fault.at;
    Observer.Texts.clear();
    const RunOutcome outcome = Run();
    EXPECT_EQ(outcome.Result, RunOutcome::Kind::Stopped);
    EXPECT_EQ(outcome.Message, "/data/TRW_TEMP/" + fault.file + "に書き込めません");
    EXPECT_TRUE(Observer.Texts.empty()) << "no row for a phase that failed";
    EXPECT_EQ(Environment.FileSystem.OpenHandles(), 0);
  }
}

TEST_F(RunTest, ShortWritesAndPlantedLinksAreWriteFailures) {
  Environment.FileSystem.TransferLimit = 512;
  EXPECT_EQ(Run().Message, "/data/TRW_TEMP/00000001.binに書き込めません");

  Environment.FileSystem.TransferLimit = SIZE_MAX;
  Environment.FileSystem.Links.insert("/data/TRW_TEMP/00000004.bin");
  Choices.DeleteFiles = true;
  EXPECT_EQ(Run().Message,
            "/data/TRW_TEMP/00000004.binに書き込めません\n"
            "通常のファイルではありません（FIFO、デバイス、リンクなど）");
  // With deletion chosen a failed run leaves nothing behind.
  EXPECT_TRUE(Environment.FileSystem.Files.empty());
  EXPECT_FALSE(HasRunFolder());
}

TEST_F(RunTest, ShortOrFailedReadsStopTheRun) {
  Choices.RepeatIndex = 1;
  Environment.FileSystem.Hook = nullptr;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  Environment.FileSystem.Files["/data/TRW_TEMP/00000005.bin"].resize(1000);
  Choices.ReadOnly = true;
  EXPECT_EQ(Run().Message, "/data/TRW_TEMP/00000005.binを読み込めません");

  Environment.FileSystem.Files["/data/TRW_TEMP/00000005.bin"].resize(102400);
  Environment.FileSystem.FailAt[Call::Read] = Environment.FileSystem.Count(Call::Read) + 1;
  EXPECT_EQ(Run().Message, "/data/TRW_TEMP/00000001.binを読み込めません");
}

TEST_F(RunTest, MegabyteBlocksNeverLeaveSmallFilesEmpty) {
  Choices.OneMegabyteBlocks = true;  // left ticked with a 100KB file
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  EXPECT_EQ(Environment.FileSystem.Files.at("/data/TRW_TEMP/00000001.bin").size(), 102400u);

  Choices.FileSizeIndex = 4;  // 5MB in 1 MB blocks
  Choices.TotalSizeIndex = 1;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  const std::vector<char>& file = Environment.FileSystem.Files.at("/data/TRW_TEMP/00000002.bin");
  ASSERT_EQ(file.size(), 5242880u);
  EXPECT_EQ(0, std::memcmp(file.data() + 4 * 1048576, Buffer.MegabyteBlock(), 1048576));
}

TEST_F(RunTest, FallsBackToSynchronousBufferedIoAndSaysSoOnce) {
  for (bool atOpen : {true, false}) {
    Environment.FileSystem = FakeFileSystem{};
    Environment.FileSystem.Directories = {"/", "/data"};
    Environment.FileSystem.RefuseDirectAtOpen = atOpen;
    Environment.FileSystem.RefuseDirectTransfers = !atOpen;
    Observer.Notices.clear();
    Choices.RepeatIndex = 1;
    ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
    ASSERT_EQ(Observer.Notices.size(), 1u);
    // Named for its cause: no direct I/O at all, or sectors above 1 KB.
    EXPECT_EQ(Observer.Notices[0], platform::FallbackNotice(atOpen));
    // Every file after the refusal is moved synchronously through the cache,
    // and its cached pages are dropped after writing and before reading.
    const auto& modes = Environment.FileSystem.Modes;
    EXPECT_EQ(std::count(modes.begin(), modes.end(), platform::IoMode::SyncBuffered), 60);
    EXPECT_EQ(Environment.FileSystem.CacheDrops, 30);
    // The refused attempt is not timed: every phase shows the clean 50 ms.
    EXPECT_NE(LastText().find("\r\n1\t0.050\t"), std::string::npos);
  }
}

TEST_F(RunTest, DeviceCountersAreReadOutsideEachTimedPhaseAndJudgeIt) {
  Environment.Plan.Devices = {"sdz"};
  Environment.Plan.Sources = {"/sys/fake/stat"};
  // The table shows 19.53 MB/s (50 ms), but 51 ms would be 19.15: under
  // this link's ceiling, not surely over it.
  Environment.Plan.LinkBytesPerSecond = 19.3 * 1048576;
  Environment.CounterStep = 512000;  // half of each phase's 1,024,000 bytes
  Environment.FailReading = 4;       // the one after the read phase
  BenchmarkRun run(Choices, Buffer, Generator, Observer, Environment);
  const RunOutcome outcome = run.Execute();
  ASSERT_EQ(outcome.Result, RunOutcome::Kind::Completed);
  // Before each start stamp and after each end stamp, never between them.
  EXPECT_EQ(Environment.Events, "CNNCCNNC");
  const RunRecord record = run.Record(outcome);
  EXPECT_EQ(record.Counting.Devices, std::vector<std::string>{"sdz"});
  const PhaseVerdict& write = record.Repetitions.at(0).Write->Verdict;
  EXPECT_EQ(write.Kind, VerdictKind::Mixed);
  EXPECT_FALSE(write.OverLink);
  EXPECT_EQ(write.Bytes, 1024000);
  EXPECT_EQ(write.DeviceBytes, 512000);
  // A reading that failed leaves its phase without a figure, not with a false one.
  const PhaseVerdict& read = record.Repetitions.at(0).Read->Verdict;
  EXPECT_EQ(read.Kind, VerdictKind::Unknown);
  EXPECT_EQ(read.DeviceBytes, -1);
}

TEST_F(RunTest, StopRequestEndsTheRunWithoutAHalfRowAndCleansUp) {
  Choices.RepeatIndex = 3;
  Choices.DeleteFiles = true;
  // During the read phase of repetition 1 (block 550 = file 6).
  StopOnCall = std::make_pair(Call::Read, 550);
  EXPECT_EQ(Run().Result, RunOutcome::Kind::Interrupted);
  ASSERT_EQ(Observer.Texts.size(), 1u);
  EXPECT_TRUE(LastText().ends_with("\t"));
  EXPECT_TRUE(Environment.FileSystem.Files.empty());
  EXPECT_FALSE(HasRunFolder());
  EXPECT_EQ(Environment.FileSystem.OpenHandles(), 0);

  // During a pause, files kept when deletion is off.
  StopOnCall.reset();
  Choices.DeleteFiles = false;
  Choices.Parameters.WaitMSec = 1000;
  Environment.StopAtPause = 2;
  Observer.Texts.clear();
  EXPECT_EQ(Run().Result, RunOutcome::Kind::Interrupted);
  EXPECT_EQ(Observer.Texts.size(), 2u);  // repetition 1 complete, nothing after
  EXPECT_TRUE(HasFile("00000010.bin"));
}

TEST_F(RunTest, VerifiedRunFindsAFlippedBitAndChecksOutsideTheTimedReads) {
  Choices.Verify = true;
  // Between the phases a bit flips in file 3, 50,001 bytes in.
  BenchmarkRun run(Choices, Buffer, Generator, Observer, Environment);
  Environment.FileSystem.Hook = [&](Call call, int n) {
    if (call == Call::OpenForRead && n == 1) TestFile("00000003.bin")[50001] ^= 0x04;
  };
  const RunOutcome outcome = run.Execute();
  Environment.FileSystem.Hook = nullptr;
  Record = run.Record(outcome);
  ASSERT_EQ(outcome.Result, RunOutcome::Kind::Completed);
  EXPECT_TRUE(Record.Verified);
  const PhaseVerification& found = ReadVerification();
  EXPECT_EQ(found.Result.Counts[SectorClass::Ok], 10 * 200 - 1);
  EXPECT_EQ(found.Result.Counts[SectorClass::Corrupted], 1);
  ASSERT_TRUE(found.Result.FirstBad);
  const BadSector& bad = *found.Result.FirstBad;
  EXPECT_EQ(bad.File, 3);
  EXPECT_EQ(bad.Offset, 49664);  // the sector holding byte 50,001
  // The bytes shown start a little before the one that differs (337 into
  // the sector), so expected and found differ in it, and only in it.
  EXPECT_EQ(bad.ShownAt, 332);
  ASSERT_EQ(bad.Expected.size(), 32u);
  EXPECT_NE(bad.Expected.substr(10, 2), bad.Found.substr(10, 2));
  EXPECT_EQ(bad.Expected.substr(0, 10) + bad.Expected.substr(12),
            bad.Found.substr(0, 10) + bad.Found.substr(12));
  const std::vector<std::string> notes = RunNotes(Record);
  EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](const std::string& note) {
    return note.find("セクタの 332 バイト目から") != std::string::npos;
  }));
  // The 1,000 blocks fit the checker's buffers: the reads never waited and
  // no check fell between the phase's two stamps.
  EXPECT_GE(found.CheckSeconds, 0);
  EXPECT_NEAR(Record.Repetitions[0].Read->Seconds, 0.050, 1e-9);
  // The write phase's files differ at every sector; the table is as always.
  const std::vector<char>& file = TestFile("00000010.bin");
  EXPECT_NE(0, std::memcmp(file.data(), file.data() + 512, 32));
  EXPECT_TRUE(LastText().starts_with(ResultTable::Header));

  // Files of 1 MB in 1 MB blocks outrun the buffers, so the reads wait for
  // the checker; the findings stay those of checking in reading order, in
  // every repetition, and the waits are left out of the phase's time.
  Choices.FileSizeIndex = 3;   // 1MB
  Choices.TotalSizeIndex = 1;  // 10MB
  Choices.OneMegabyteBlocks = true;
  Choices.RepeatIndex = 1;  // twice
  Environment.FileSystem.Hook = [&](Call call, int n) {
    if (call != Call::OpenForRead || n % 10 != 1) return;  // each phase's first file
    TestFile("00000009.bin")[5] ^= 0x01;
    TestFile("00000002.bin")[700000] ^= 0x80;
  };
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  for (std::size_t repetition : {0u, 1u}) {
    const VerifyResult& twice = ReadVerification(repetition).Result;
    EXPECT_EQ(twice.Counts[SectorClass::Corrupted], 2);
    EXPECT_EQ(twice.Counts[SectorClass::Ok], 10 * 2048 - 2);
    ASSERT_TRUE(twice.FirstBad);
    EXPECT_EQ(twice.FirstBad->File, 2);
    EXPECT_EQ(twice.FirstBad->Offset, 700000 / 512 * 512);
  }
  Environment.FileSystem.Hook = nullptr;

  // On one clock, the timeline's shares add up to the phase's own time.
  Choices.FileSizeIndex = 2;
  Choices.TotalSizeIndex = 0;
  Choices.OneMegabyteBlocks = false;
  Choices.RepeatIndex = 0;
  Environment.OneClock = true;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  const PhaseRecord& read = *Record.Repetitions[0].Read;
  double shares = 0;
  for (const double mbPerSecond : read.Stats.Timeline) {
    shares += static_cast<double>(Parameters.FileSize) * Parameters.FileCount /
              static_cast<double>(read.Stats.Timeline.size()) / 1048576.0 / mbPerSecond;
  }
  EXPECT_NEAR(shares, read.ExactSeconds, 3 * 0.050);
}

TEST_F(RunTest, VerifiedReadOfFilesCutShortCountsOnlyTheBytesThatCameBack) {
  Choices.Verify = true;
  Environment.Plan.Devices = {"sdz"};
  Environment.Plan.Sources = {"/sys/fake/stat"};
  Environment.CounterStep = 254800;  // what the read phase reads
  // During the pause file 3 is cut to 50,000 bytes and files 4 to 10 are
  // emptied.
  Environment.FileSystem.Hook = [&](Call call, int n) {
    if (call != Call::OpenForRead || n != 1) return;
    TestFile("00000003.bin").resize(50000);
    for (const char* name : {"00000004.bin", "00000005.bin", "00000006.bin", "00000007.bin",
                             "00000008.bin", "00000009.bin", "00000010.bin"}) {
      TestFile(name).clear();
    }
  };
  BenchmarkRun run(Choices, Buffer, Generator, Observer, Environment);
  const RunOutcome outcome = run.Execute();
  Environment.FileSystem.Hook = nullptr;
  ASSERT_EQ(outcome.Result, RunOutcome::Kind::Completed);
  Record = run.Record(outcome);
  constexpr std::int64_t Read = 2 * 102400 + 50000;
  EXPECT_EQ(run.ReadBytes(1), Read);
  const PhaseRecord& phase = *Record.Repetitions[0].Read;
  EXPECT_EQ(phase.MBPerSecond, ResultTable::MBPerSecond(Read, phase.Seconds));
  EXPECT_EQ(Record.MeanReadMBps, phase.MBPerSecond);
  // The devices moved what was read, not a quarter of what was planned.
  EXPECT_EQ(phase.Verdict.Bytes, Read);
  EXPECT_EQ(phase.Verdict.Kind, VerdictKind::Device);
  EXPECT_EQ(ReadVerification().Result.Counts[SectorClass::Missing], 1024000 / 512 - Read / 512);
  const std::vector<std::string> notes = RunNotes(Record);
  EXPECT_TRUE(std::any_of(notes.begin(), notes.end(), [](const std::string& note) {
    return note.starts_with("検証: 読み込む予定の 1000 KB のうち 751 KB は") &&
           note.find("実際に読めた 249 KB") != std::string::npos;
  }));

  // A stop in the middle of a verified read still ends the run at once.
  Choices.FileSizeIndex = 3;  // 1MB in 1 MB blocks: the checker has work queued
  Choices.TotalSizeIndex = 1;
  Choices.OneMegabyteBlocks = true;
  const int readsBefore = Environment.FileSystem.Count(Call::Read);
  StopOnCall = std::make_pair(Call::Read, readsBefore + 6);
  EXPECT_EQ(Run().Result, RunOutcome::Kind::Interrupted);
  EXPECT_EQ(Environment.FileSystem.Count(Call::Read), readsBefore + 6);
  EXPECT_EQ(Environment.FileSystem.OpenHandles(), 0);
}

TEST_F(RunTest, ReadOnlyVerifiedRunTakesTheWritersIdAndClassesWhatChanged) {
  Buffer.Fill(Generator);
  const std::vector<std::uint32_t> pattern(Buffer.KilobyteBlock(), Buffer.KilobyteBlock() + 256);
  Choices.Verify = true;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  // The run's stamps are gone from the buffer the next run writes from.
  EXPECT_EQ(pattern,
            std::vector<std::uint32_t>(Buffer.KilobyteBlock(), Buffer.KilobyteBlock() + 256));
  const std::vector<char> writtenEarlier = TestFile("00000002.bin");
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);  // another run id
  TestFile("00000002.bin") = writtenEarlier;
  TestFile("00000005.bin").resize(50000);
  std::swap(TestFile("00000007.bin"), TestFile("00000008.bin"));

  // A fresh window: another pattern in its buffer, the files' own taken.
  PatternBuffer fresh;
  Choices.ReadOnly = true;
  BenchmarkRun run(Choices, fresh, Generator, Observer, Environment);
  const RunOutcome outcome = run.Execute();
  ASSERT_EQ(outcome.Result, RunOutcome::Kind::Completed);
  const VerifyCounts counts = run.Record(outcome).Repetitions[0].Read->Verification->Result.Counts;
  EXPECT_EQ(counts[SectorClass::Stale], 200);
  EXPECT_EQ(counts[SectorClass::Misplaced], 400);
  EXPECT_EQ(counts[SectorClass::Missing], 200 - 97);  // 97 whole sectors of 50,000 bytes
  EXPECT_EQ(counts[SectorClass::Corrupted], 0);
  EXPECT_EQ(counts[SectorClass::Ok], 6 * 200 + 97);
  EXPECT_EQ(RunNotes(run.Record(outcome)).back().find(VerifyTexts::NoStampAtAll),
            std::string::npos);

  // Files of a run without verification carry no stamp: the notes say so
  // rather than leave the drive looking broken.
  Choices.ReadOnly = false;
  Choices.Verify = false;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  Choices.ReadOnly = true;
  Choices.Verify = true;
  BenchmarkRun plainFiles(Choices, fresh, Generator, Observer, Environment);
  const RunOutcome checked = plainFiles.Execute();
  EXPECT_EQ(RunNotes(plainFiles.Record(checked)).back(), VerifyTexts::NoStampAtAll);
}

// Preparation and cleanup: the folders a run made, and the test files an
// earlier run left.

TEST_F(RunTest, FoldersTheRunMadeGoWhenItLeavesThemEmptyAndNoOthers) {
  FakeFileSystem& files = Environment.FileSystem;
  // Reading files that are not there, keeping them: the mistyped chain the
  // run made goes, the folder that was there stays.
  Choices.ReadOnly = true;
  Choices.Folder = "/data/a/b/c";
  EXPECT_EQ(Run().Message, "/data/a/b/c/TRW_TEMP/00000001.binを開けません");
  EXPECT_FALSE(files.Directories.count("/data/a"));
  EXPECT_TRUE(files.Directories.count("/data"));
  // A folder something else put a file in while the run went on stays, and
  // so does every folder above it; an existing one too.
  files.Directories.insert("/data/a");
  files.Hook = [&](Call call, int) {
    if (call == Call::OpenForRead) files.Files["/data/a/b/notes.txt"] = {};
  };
  Run();
  EXPECT_FALSE(files.Directories.count("/data/a/b/c"));
  EXPECT_TRUE(files.Directories.count("/data/a/b"));
  EXPECT_TRUE(files.Directories.count("/data/a"));
  // A refusal before anything is written, with the files kept.
  Choices.ReadOnly = false;
  Choices.Folder = "/data/new";
  Choices.TotalBytes = std::int64_t{1} << 30;
  Environment.FreeBytes = std::int64_t{100} << 20;
  EXPECT_EQ(Run().Result, RunOutcome::Kind::Stopped);
  EXPECT_FALSE(files.Directories.count("/data/new"));
}

TEST_F(RunTest, AKilledRunsHigherNumberedFilesGoWithDeletionElseTheRunSaysSo) {
  FakeFileSystem& files = Environment.FileSystem;
  auto plant = [&] {
    files.Directories.insert("/data/TRW_TEMP");
    for (int j = 1; j <= 15; ++j) files.Files["/data/TRW_TEMP/" + TestFileName(j)].resize(1 << 20);
  };
  plant();
  files.Files["/data/TRW_TEMP/notes.txt"] = {};
  files.Files["/data/TRW_TEMP/00000017.bin"] = {};  // after a gap: not the killed run's
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  ASSERT_EQ(Observer.Notices.size(), 1u);
  EXPECT_EQ(
      Observer.Notices[0],
      "この測定より番号の大きいテストファイルが 5 個（5.0 MB）残っています（00000011.bin から）。"
      "以前の測定が途中で終わったときのものです");
  EXPECT_TRUE(HasFile("00000015.bin"));
  Choices.DeleteFiles = true;
  ASSERT_EQ(Run().Result, RunOutcome::Kind::Completed);
  EXPECT_FALSE(HasFile("00000015.bin"));
  EXPECT_TRUE(HasFile("notes.txt"));
  EXPECT_TRUE(HasFile("00000017.bin"));
}

}  // namespace
}  // namespace tarnwell
