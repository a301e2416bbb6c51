// The verdict on a phase: its thresholds, what overrides the counters, the
// notes after the table and the history's round trip.
#include <gtest/gtest.h>

#include "engine/judge/Verdict.h"
#include "engine/model/RunRecord.h"
#include "engine/output/RunDocument.h"
#include "engine/output/RunNotes.h"

namespace tarnwell {
namespace {

DeviceCounting Uncounted(platform::CounterGap gap, const std::string& fileSystem = "") {
  platform::CounterPlan plan;
  plan.Gap = gap;
  plan.FileSystemType = fileSystem;
  return CountingFor(plan);
}

DeviceCounting Counted() {
  DeviceCounting counting;
  counting.Devices = {"vda"};
  return counting;
}

TEST(Verdict, ThresholdsSplitDeviceMixedAndCache) {
  const DeviceCounting counting = Counted();
  const struct {
    std::int64_t deviceBytes;
    VerdictKind kind;
  } cases[] = {
      {1300, VerdictKind::Device},  // journal and metadata on top
      {900, VerdictKind::Device},  {899, VerdictKind::Mixed},
      {500, VerdictKind::Mixed},   {499, VerdictKind::Cache},
      {0, VerdictKind::Cache},     {-1, VerdictKind::Unknown},  // the counters were lost
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Judge(counting, 1000, c.deviceBytes, 100).Kind, c.kind) << c.deviceBytes;
  }
  // No counters at all: unknown, with the reason the plan gave.
  const DeviceCounting none = Uncounted(platform::CounterGap::InMemory, "tmpfs");
  const PhaseVerdict unknown = Judge(none, 1000, 1000, 100);
  EXPECT_EQ(unknown.Kind, VerdictKind::Unknown);
  EXPECT_EQ(unknown.DeviceBytes, -1);
  EXPECT_NE(VerdictReason(none, unknown, 100).find("tmpfs"), std::string::npos);
}

TEST(Verdict, FasterThanTheLinkOrUnderWineIsACacheWhateverTheCounters) {
  DeviceCounting counting = Counted();
  counting.LinkMBps = 572.2;
  EXPECT_EQ(Judge(counting, 1000, 1000, 572).Kind, VerdictKind::Device);
  const PhaseVerdict over = Judge(counting, 1000, 1000, 900);
  EXPECT_EQ(over.Kind, VerdictKind::Cache);
  EXPECT_TRUE(over.OverLink);
  EXPECT_NE(VerdictReason(counting, over, 900).find("572.2"), std::string::npos);

  const DeviceCounting wine = Uncounted(platform::CounterGap::Wine);
  EXPECT_TRUE(wine.Wine);
  EXPECT_EQ(Judge(wine, 1000, -1, 100).Kind, VerdictKind::Cache);
  EXPECT_EQ(VerdictReason(wine, Judge(wine, 1000, -1, 100), 100), VerdictTexts::Wine);
}

TEST(Verdict, MemoryBelowTheFolderIsNamedWhereItIsAndWarnedOf) {
  platform::CounterPlan plan;
  plan.Gap = platform::CounterGap::InMemory;
  plan.FileSystemType = "tmpfs";
  EXPECT_EQ(MemoryNotice(plan), "");  // the folder's own file system warns of itself
  plan.Place = platform::GapPlace::LoopBackingFile;
  plan.PlacePath = "/dev/shm/disk.img";
  const std::string loop = CountingFor(plan).Reason;
  EXPECT_TRUE(
      loop.starts_with("フォルダはループデバイスの上にあり、その元ファイル /dev/shm/disk.img "
                       "はメモリ上のファイルシステム（tmpfs）"))
      << loop;
  EXPECT_NE(MemoryNotice(plan).find("/dev/shm/disk.img"), std::string::npos);
  EXPECT_NE(MemoryNotice(plan).find("メモリの速度"), std::string::npos);
  plan.Place = platform::GapPlace::OverlayUpper;
  plan.PlacePath = "/run/upper";
  EXPECT_NE(CountingFor(plan).Reason.find("上の層 /run/upper はメモリ上"), std::string::npos);
  EXPECT_NE(MemoryNotice(plan), "");
  // A backing file whose file system cannot be seen from here.
  plan.Gap = platform::CounterGap::NoBlockDevice;
  plan.Place = platform::GapPlace::LoopBackingFile;
  plan.FileSystemType = "";
  EXPECT_EQ(CountingFor(plan).Reason.find("（）"), std::string::npos);
  EXPECT_EQ(MemoryNotice(plan), "");
}

RunRecord LoopImageRun() {
  RunRecord record;
  record.Date = "2026-12-10T06:00:00";
  record.Counting = Counted();
  record.Counting.BackingFile = "/var/tmp/disk.img";
  for (int i = 1; i <= 2; ++i) {
    PhaseRecord write, read;
    write.MBPerSecond = 400;
    write.Verdict = Judge(record.Counting, 1000, 1030, write.MBPerSecond);
    read.MBPerSecond = 6000;
    read.Verdict = Judge(record.Counting, 1000, i == 1 ? 30 : 600, read.MBPerSecond);
    record.Repetitions.push_back({i, write, read});
  }
  return record;
}

TEST(Verdict, NotesSumAlikePhasesAndListPhasesThatDiffer) {
  const std::vector<std::string> notes = RunNotes(LoopImageRun());
  ASSERT_EQ(notes.size(), 3u);
  // Both writes alike: one line on the sums (2060 of 2000 bytes).
  EXPECT_EQ(notes[0],
            "書き込み: 装置を計測 — 装置（vda）が動かしたのは測定したバイトの 103 % です。" +
                std::string(VerdictTexts::HighMeansArrived));
  // The reads differ: one line each, the cache named.
  EXPECT_TRUE(notes[1].starts_with("読み込み（1 回目）: キャッシュを計測 — "));
  EXPECT_NE(notes[1].find("/var/tmp/disk.img のページキャッシュ"), std::string::npos);
  EXPECT_NE(notes[1].find(VerdictTexts::LowProvesCache), std::string::npos);
  EXPECT_TRUE(notes[2].starts_with("読み込み（2 回目）: 一部キャッシュを計測 — "));
  EXPECT_NE(notes[2].find("少なくとも 40 % は"), std::string::npos);
}

TEST(Verdict, HistoryKeepsTheVerdictsAndRefusesFiguresNoRunWrites) {
  RunRecord record = LoopImageRun();
  record.Counting.LinkMBps = 572.2;
  const std::string line = HistoryLine(record);
  const std::optional<RunRecord> back = ParseHistoryLine(line);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Counting.Devices, record.Counting.Devices);
  EXPECT_EQ(back->Counting.BackingFile, record.Counting.BackingFile);
  EXPECT_EQ(back->Counting.LinkMBps, 572.2);
  const PhaseVerdict& read = back->Repetitions.at(0).Read->Verdict;
  EXPECT_EQ(read.Kind, VerdictKind::Cache);
  EXPECT_EQ(read.Bytes, 1000);
  EXPECT_EQ(read.DeviceBytes, 30);
  EXPECT_EQ(RunNotes(*back), RunNotes(record));

  std::string damaged = line;
  damaged.replace(damaged.find("\"deviceBytes\": 30"), 17, "\"deviceBytes\": 3.5");
  EXPECT_FALSE(ParseHistoryLine(damaged));
}

}  // namespace
}  // namespace tarnwell
