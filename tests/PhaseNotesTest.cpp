// What a run says about its own figures: a phase too short for the table's
// clock, and a write phase whose speed falls and stays down, found on
// synthetic timelines; both kept in the history and shown in the report.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/judge/ShortPhases.h"
#include "engine/judge/WriteCliff.h"
#include "engine/model/RunRecord.h"
#include "engine/output/HtmlReport.h"
#include "engine/output/RunDocument.h"
#include "engine/output/RunNotes.h"

namespace tarnwell {
namespace {

constexpr std::int64_t TenMB = 10 << 20;

// `shares` values: `level(k)` with up to ±`noise` of it, from a fixed seed.
template <typename Level>
std::vector<double> Timeline(int shares, double noise, Level level) {
  std::vector<double> values;
  std::uint32_t seed = 12345;
  for (int k = 0; k < shares; ++k) {
    seed = seed * 1664525u + 1013904223u;
    const double unit = static_cast<double>(seed >> 8) / 16777216.0 * 2 - 1;  // -1 .. 1
    values.push_back(level(k) * (1 + noise * unit));
  }
  return values;
}

TEST(ShortPhases, NotedUnderAHundredMillisecondsOncePerKind) {
  EXPECT_EQ(
      ShortPhaseNote(false, 0.0004, 2560),
      "読み込みは 0.4 ミリ秒で終わりました。表の時間はミリ秒単位のため、この転送速度は正確では"
      "ありません（実測 2,560 MB/秒）。総容量を大きくしてください。");
  // No time seen at all: no speed to give, the advice stands.
  EXPECT_EQ(
      ShortPhaseNote(true, 0, 0),
      "書き込みは 0.0 ミリ秒で終わりました。表の時間はミリ秒単位のため、この転送速度は正確では"
      "ありません。総容量を大きくしてください。");
  EXPECT_NE(ShortPhaseNote(true, 0.099, 10.1).find("99.0 ミリ秒"), std::string::npos);
  EXPECT_EQ(ShortPhaseNote(true, 0.101, 9.9), "");
  EXPECT_EQ(ShortPhaseNote(true, -1, -1), "");  // a history line from before

  // Three repetitions with short reads: one note, for the shortest.
  RunRecord record;
  record.Date = "2026-12-10T06:00:00";
  for (const double read : {0.05, 0.02, 0.5}) {
    PhaseRecord write, reading;
    write.ExactSeconds = 0.2;
    reading.ExactSeconds = read;
    reading.ExactMBPerSecond = 1 / read;
    record.Repetitions.push_back(
        {static_cast<std::int32_t>(record.Repetitions.size() + 1), write, reading});
  }
  const std::vector<std::string> notes = RunNotes(record);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_TRUE(notes[0].starts_with("読み込みは 20.0 ミリ秒で")) << notes[0];
  EXPECT_NE(notes[0].find("（実測 50.0 MB/秒）"), std::string::npos);
}

TEST(WriteCliff, ACleanFallIsFoundWhereItHappens) {
  // 2000 files of 10 MB in a hundred shares: the cache runs out after 60.
  const std::vector<double> clean = Timeline(100, 0, [](int k) { return k < 60 ? 1850 : 420; });
  const std::optional<WriteCliff> cliff = FindWriteCliff(clean, 2000, TenMB);
  ASSERT_TRUE(cliff);
  EXPECT_EQ(cliff->Share, 60);
  EXPECT_EQ(cliff->AtBytes, 1200 * TenMB);
  EXPECT_EQ(WriteCliffText(*cliff),
            "書き込みは約 11.7 GB を書いたところで 1,850 MB/秒 から 420 MB/秒 に落ちました"
            "（装置の書き込みキャッシュの大きさの目安）");
  // Noisy, and with file counts that do not divide into the shares.
  const std::vector<double> noisy = Timeline(100, 0.1, [](int k) { return k < 30 ? 1000 : 300; });
  const std::optional<WriteCliff> rough = FindWriteCliff(noisy, 1234, TenMB);
  ASSERT_TRUE(rough);
  EXPECT_EQ(rough->Share, 30);
  EXPECT_EQ(rough->AtBytes, 371 * TenMB);  // files 0..370 fall in shares 0..29
  EXPECT_NEAR(rough->BeforeMBps, 1000, 50);
  EXPECT_NEAR(rough->AfterMBps, 300, 15);
}

TEST(WriteCliff, SilentWithoutALastingFall) {
  const auto silent = [](const std::vector<double>& timeline) {
    return !FindWriteCliff(timeline, 1000, TenMB).has_value();
  };
  EXPECT_TRUE(silent(Timeline(100, 0.3, [](int) { return 1000; })));  // noise only
  // A dip that recovers, in the middle or only near the end.
  EXPECT_TRUE(silent(Timeline(100, 0.02, [](int k) { return k >= 40 && k < 60 ? 300 : 1000; })));
  EXPECT_TRUE(silent(Timeline(100, 0.02, [](int k) { return k >= 50 && k < 90 ? 300 : 1000; })));
  // A fall in the last tenth: too little left to tell it from a hiccup.
  EXPECT_TRUE(silent(Timeline(100, 0.02, [](int k) { return k < 92 ? 1000 : 300; })));
  // A slow slide is no cache running out.
  EXPECT_TRUE(silent(Timeline(100, 0, [](int k) { return 1000 - 7 * k; })));
  EXPECT_TRUE(silent(Timeline(5, 0, [](int k) { return k < 2 ? 1000 : 100; })));   // too few
  EXPECT_TRUE(silent(Timeline(100, 0, [](int k) { return k < 60 ? 1000 : 0; })));  // no clock
}

TEST(WriteCliff, KeptInTheHistoryAndMarkedInTheReport) {
  RunRecord record;
  record.Date = "2026-12-10T06:00:00";
  record.Result = "completed";
  PhaseRecord write;
  write.Seconds = 0.05;
  write.ExactSeconds = 0.0504;
  write.ExactMBPerSecond = 19.8;
  write.Stats.Files = 1000;
  write.Stats.Timeline = Timeline(100, 0, [](int k) { return k < 60 ? 1850 : 420; });
  write.Cliff = FindWriteCliff(write.Stats.Timeline, 1000, TenMB);
  record.Repetitions.push_back({1, write, std::nullopt});

  const std::string line = HistoryLine(record);
  const std::optional<RunRecord> back = ParseHistoryLine(line);
  ASSERT_TRUE(back);
  const PhaseRecord& kept = *back->Repetitions.at(0).Write;
  EXPECT_EQ(kept.ExactSeconds, 0.0504);
  EXPECT_EQ(kept.ExactMBPerSecond, 19.8);
  ASSERT_TRUE(kept.Cliff);
  EXPECT_EQ(kept.Cliff->AtBytes, write.Cliff->AtBytes);
  EXPECT_EQ(RunNotes(*back), RunNotes(record));
  EXPECT_EQ(RunNotes(record).size(), 2u);  // short, and the fall
  // Figures no run writes make the line damaged.
  for (const char* damage : {"\"atBytes\": -1", "\"share\": 1.5"}) {
    std::string bad = line;
    const std::string member = std::string(damage).substr(0, std::string(damage).find(':') + 1);
    const std::size_t at = bad.find(member);
    ASSERT_NE(at, std::string::npos);
    bad.replace(at, bad.find_first_of(",}", at) - at, damage);
    EXPECT_FALSE(ParseHistoryLine(bad)) << bad;
  }

  const std::string html = HtmlReport(record, {});
  EXPECT_NE(html.find("<line class=\"cliff\""), std::string::npos);
  EXPECT_NE(html.find("<p>書き込みは約 5.9 GB を書いたところで"), std::string::npos);
  EXPECT_NE(html.find("<p>書き込みは 50.4 ミリ秒で終わりました"), std::string::npos);
}

}  // namespace
}  // namespace tarnwell
