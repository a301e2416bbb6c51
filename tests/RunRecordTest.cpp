// What a run leaves for later: latency percentiles and the timeline from
// known samples, the history file under concurrent appenders and damage,
// and a report that stays well-formed whatever bytes a folder name holds and
// whose timelines say which shade is which repetition.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "engine/base/Json.h"
#include "engine/base/Utf8.h"
#include "engine/model/PhaseStats.h"
#include "engine/output/HtmlReport.h"
#include "engine/output/RunHistory.h"
#include "engine/run/BenchmarkRun.h"
#include "tests/TempFolder.h"
#include "tests/Unprivileged.h"

namespace tarnwell {
namespace {

using testing::Contents;
using testing::TempFolder;

TEST(PhaseStats, PercentilesAndTimelineFromKnownSamples) {
  // 1000 files of 1 MB; file k takes k ms, one after another.
  PhaseRecorder recorder;
  recorder.Start(1000, 1048576, 0);
  double now = 0;
  for (int k = 1; k <= 1000; ++k) {
    recorder.Add(now, now + k / 1000.0);
    now += k / 1000.0;
  }
  const PhaseStats stats = recorder.Finish();
  EXPECT_EQ(stats.Files, 1000);
  EXPECT_NEAR(stats.P50, 0.500, 0.500 * 0.045);  // within one histogram step
  EXPECT_NEAR(stats.P90, 0.900, 0.900 * 0.045);
  EXPECT_NEAR(stats.P99, 0.990, 0.990 * 0.045);
  EXPECT_LE(stats.P999, stats.Max);
  EXPECT_EQ(stats.Max, 1.0);
  ASSERT_EQ(stats.Timeline.size(), 100u);
  // Share s holds files 10s+1 .. 10s+10: 10 MB in (100s + 55) ms.
  EXPECT_NEAR(stats.Timeline[0], 10 / 0.055, 1e-6);
  EXPECT_NEAR(stats.Timeline[99], 10 / 9.955, 1e-6);

  // One file: every figure is that file; files that took no time count as 0.
  recorder.Start(1, 1024, 5);
  recorder.Add(5, 5.25);
  const PhaseStats one = recorder.Finish();
  EXPECT_EQ(one.P50, 0.25);
  EXPECT_EQ(one.P999, 0.25);
  ASSERT_EQ(one.Timeline.size(), 1u);
  EXPECT_NEAR(one.Timeline[0], 1024 / 1048576.0 / 0.25, 1e-12);
  recorder.Start(3, 1024, 1);
  for (int k = 0; k < 3; ++k) recorder.Add(1, 1);
  const PhaseStats zero = recorder.Finish();
  EXPECT_EQ(zero.P50, 0);
  EXPECT_EQ(zero.Max, 0);
  EXPECT_EQ(zero.Timeline, std::vector<double>(3, 0.0));
}

TEST(PhaseStats, MergedHistogramsGiveThePercentilesOfOneRunOverAllFiles) {
  // Three phases with different latency ranges, and one phase holding all
  // their files; each phase's timeline ends where its last file closed.
  const std::vector<std::vector<double>> parts = {
      {0.0, 0.002, 0.003, 0.004}, {0.5e-7, 0.1, 0.2}, {0.0015, 0.0016, 7.0, 0.004}};
  PhaseRecorder all;
  all.Start(11, 4096, 0);
  LatencyHistogram merged;
  double clock = 0;
  for (const std::vector<double>& part : parts) {
    PhaseRecorder one;
    one.Start(static_cast<std::int32_t>(part.size()), 4096, 10);
    double now = 10;
    for (double seconds : part) {
      one.Add(now, now + seconds);
      all.Add(clock, clock + seconds);
      now += seconds;
      clock += seconds;
    }
    const PhaseStats stats = one.Finish();
    EXPECT_NEAR(stats.TimelineEndSeconds.back(), now - 10, 1e-12);
    MergeHistogram(merged, stats.Histogram);
  }
  const PhaseStats whole = all.Finish();
  EXPECT_EQ(merged.Counts, whole.Histogram.Counts);
  EXPECT_EQ(merged.Zeroes, 2);
  EXPECT_EQ(HistogramFiles(merged), 11);
  for (double share : {0.1, 0.2, 0.5, 0.9, 0.99, 0.999, 1.0}) {
    EXPECT_EQ(HistogramPercentile(merged, share), HistogramPercentile(whole.Histogram, share));
  }
  EXPECT_EQ(HistogramPercentile(merged, 0.5), whole.P50);
  EXPECT_EQ(HistogramPercentile(LatencyHistogram{}, 0.5), 0);
}

std::size_t Count(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

RunRecord SampleRecord(const std::string& folder) {
  RunRecord record;
  record.Date = "2026-12-09T10:00:00";
  record.Folder = folder;
  record.Device.Model = "Disk <&> \"X\"";
  record.Table = "回数\t時間\r\n1\t0.050\t   20.000\r\n";
  PhaseRecord write;
  write.Seconds = 0.05;
  write.MBPerSecond = 20;
  write.Stats.Files = 1;
  write.Stats.Timeline = {20};
  record.Repetitions.push_back({1, write, std::nullopt});
  record.MeanWriteMBps = 20;
  record.Result = "completed";
  return record;
}

// The history as the listing reads it: newest first.
struct Read {
  std::vector<RunRecord> runs;
  HistoryScan scan;
};
Read ReadAll(const std::string& path) {
  Read read;
  read.scan = ScanHistoryNewestFirst(path, [&](RunRecord& run) {
    read.runs.push_back(run);
    return true;
  });
  return read;
}

TEST(RunHistory, ConcurrentAppendersAndDamageLoseNothing) {
  TempFolder folder;
  const std::string path = folder / "data/history.jsonl";
  const RunRecord record = SampleRecord(folder / "bench");
  // Two processes append 200 runs each at the same time.
  pid_t children[2];
  for (pid_t& child : children) {
    child = ::fork();
    if (child == 0) {
      for (int i = 0; i < 200; ++i) {
        if (!AppendToHistory(path, record).Ok()) ::_exit(1);
      }
      ::_exit(0);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  Read history = ReadAll(path);
  EXPECT_EQ(history.runs.size(), 400u);
  EXPECT_EQ(history.scan.Damaged, 0);

  // A torn line in the middle costs only itself, and a fragment without its
  // line end at the end of the file is not glued to the next run.
  std::ofstream(path, std::ios::app) << "{\"date\": \"2026-12-0\n{\"date\": \"2026-";
  ASSERT_TRUE(AppendToHistory(path, record).Ok());
  history = ReadAll(path);
  EXPECT_EQ(history.runs.size(), 401u);
  EXPECT_EQ(history.scan.Damaged, 2);
  EXPECT_EQ(history.runs.front().Table, record.Table);
  EXPECT_EQ(history.runs.front().MeanWriteMBps, 20);

  // An append the disk cannot hold whole (here a file size limit) is taken
  // back: the file is as it was, and the failure has its reason.
  const std::string before = Contents(path);
  const pid_t child = ::fork();
  if (child == 0) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{before.size() + 100, before.size() + 100};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const platform::Status status = AppendToHistory(path, record);
    ::_exit(status.error == platform::IoError::Failed && status.code == EFBIG ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(Contents(path), before);
}

TEST(RunHistory, OnlyAPlainFileIsWrittenOrReadAndNothingWaits) {
  TempFolder folder;
  const RunRecord record = SampleRecord(folder / "bench");
  ASSERT_EQ(::mkfifo((folder / "fifo").c_str(), 0600), 0);
  std::filesystem::create_directory(folder / "folder");
  std::filesystem::create_symlink(folder / "elsewhere", folder / "link");
  for (const char* name : {"fifo", "folder", "link"}) {
    EXPECT_EQ(AppendToHistory(folder / name, record).error, platform::IoError::NotRegular) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "elsewhere"));
  EXPECT_EQ(FailureReason({platform::IoError::NotRegular, 0}), RunMessages::NotRegular);
  for (const char* name : {"fifo", "folder"}) {
    EXPECT_EQ(ReadAll(folder / name).scan.Status.error, platform::IoError::NotRegular) << name;
  }
  // Nothing there yet is an empty history; a file nobody may read is not.
  const Read missing = ReadAll(folder / "none.jsonl");
  EXPECT_TRUE(missing.scan.Read());
  EXPECT_TRUE(missing.runs.empty());
  ASSERT_TRUE(AppendToHistory(folder / "closed.jsonl", record).Ok());
  EXPECT_EQ(testing::RunUnprivileged(
                folder.Path(),
                [&] {
                  ::chmod((folder / "closed.jsonl").c_str(), 0);
                  const Read closed = ReadAll(folder / "closed.jsonl");
                  return !closed.scan.Read() && closed.scan.Status.code == EACCES ? 0 : 1;
                }),
            0);
}

TEST(RunHistory, HostileLinesAreDamagedOrKeptAsPlainText) {
  std::string line = HistoryLine(SampleRecord("/bench"));
  const auto with = [&](const std::string& from, const std::string& to) {
    std::string changed = line;
    changed.replace(changed.find(from), from.size(), to);
    return changed;
  };
  // Figures no run writes would wreck the report's scales, or are no JSON.
  // A row of the list is held to the same: what it shows, and JSON's
  // grammar everywhere else.
  for (const char* figure :
       {"NaN", "Infinity", "-Infinity", "1e308", "1e400", "-5.0", "0x10", "01", ".5", "nan"}) {
    for (const HistoryDetail detail : {HistoryDetail::Whole, HistoryDetail::Row}) {
      EXPECT_FALSE(ParseHistoryLine(
          with("\"meanWriteMBps\": 20.0", std::string("\"meanWriteMBps\": ") + figure), detail))
          << figure;
      // What is no JSON number is refused wherever it stands.
      if (figure != std::string("1e308") && figure != std::string("-5.0")) {
        EXPECT_FALSE(
            ParseHistoryLine(with("\"repeat\": 0", std::string("\"repeat\": ") + figure), detail))
            << figure;
      }
    }
  }
  // A name given twice would read one way here and another way elsewhere.
  EXPECT_FALSE(ParseHistoryLine(
      with("\"meanWriteMBps\": 20.0", "\"meanWriteMBps\": 20.0, \"meanWriteMBps\": 1.0")));
  EXPECT_FALSE(ParseHistoryLine(
      with("\"mountPoint\": \"", "\"mountPoint\": \"\", \"mountPoint\": \""), HistoryDetail::Row));
  EXPECT_EQ(ParseHistoryLine(line, HistoryDetail::Row)->MeanWriteMBps, 20.0);
  // A count out of place far from the row is damage to the whole reading only.
  EXPECT_FALSE(ParseHistoryLine(with("\"repeat\": 0", "\"repeat\": 1.5")));
  EXPECT_TRUE(ParseHistoryLine(with("\"repeat\": 0", "\"repeat\": 1.5"), HistoryDetail::Row));
  EXPECT_FALSE(ParseHistoryLine(with("\"fileCount\": 0", "\"fileCount\": 1e12")));
  // Lone surrogates have no UTF-8 form; only \udc80..\udcff stand for bytes.
  for (const char* escape : {"\\ud800", "\\udfff", "\\udc41", "\\ud800\\u0041"}) {
    EXPECT_FALSE(ParseHistoryLine(with("/bench", std::string("/b") + escape))) << escape;
  }
  EXPECT_EQ(ParseHistoryLine(with("/bench", "/\\ud83d\\ude00"))->Folder, "/\xF0\x9F\x98\x80");
  // Control characters are text like any other, shown escaped.
  const std::optional<RunRecord> odd =
      ParseHistoryLine(with("/bench", "/a\\u0000b\\u001b[2J\\tc\\nd"));
  ASSERT_TRUE(odd);
  EXPECT_EQ(odd->Folder, std::string("/a\0b\x1b[2J\tc\nd", 12));
  EXPECT_EQ(PrintableText(odd->Folder), "/a\\x00b\\x1b[2J\\tc\\nd");
  EXPECT_EQ(PrintableText("\xc2\x9b"
                          "1m caf\xe9 \x7f\r ベンチ"),
            "\\u009b1m caf\\xe9 \\x7f\\r ベンチ");
  // Bidirectional controls would turn the rest of a row or a report line
  // around; the characters around them stay.
  EXPECT_EQ(PrintableText("host\u202Egpj.exe \u061C\u200E\u200F\u202A\u2066\u2069 \u2010\u2070"),
            "host\\u202egpj.exe \\u061c\\u200e\\u200f\\u202a\\u2066\\u2069 \u2010\u2070");
  EXPECT_EQ(XmlText("a\u202Eb<"), "a\\u202eb&lt;");

  // Figures keep their type whatever their value.
  EXPECT_EQ(JsonNumber(500), "500.0");
  EXPECT_EQ(JsonNumber(0), "0.0");
  EXPECT_EQ(JsonNumber(0.1), "0.1");
  EXPECT_EQ(JsonNumber(1e-5), "1.0e-05");
  EXPECT_EQ(JsonNumber(std::nan("")), "null");
}

TEST(RunHistory, ReadsBackwardsInPiecesAndTheReportComparesTheLatestFifty) {
  TempFolder folder;
  const std::string path = folder / "history.jsonl";
  RunRecord record = SampleRecord(folder / "bench");
  std::string text;
  // Lines long enough to straddle the 64 KB pieces, CR LF and blank lines,
  // a line too long to be a run, and no line end at the very end.
  record.Table = std::string(40000, 'x');
  for (int i = 0; i < 60; ++i) {
    record.Date = "2026-12-09T10:00:" + std::to_string(10 + i);
    record.MeanWriteMBps = i;
    text += HistoryLine(record) + (i % 7 == 0 ? "\r\n\n" : "\n");
    if (i == 30) text += std::string(MaxHistoryLineBytes + 10, '{') + "\n";
  }
  text.pop_back();
  std::ofstream(path, std::ios::binary) << text;
  const Read history = ReadAll(path);
  ASSERT_EQ(history.runs.size(), 60u);
  EXPECT_EQ(history.scan.Damaged, 1);
  EXPECT_EQ(history.runs.front().MeanWriteMBps, 59);
  EXPECT_EQ(history.runs.back().MeanWriteMBps, 0);

  // The latest 50 of the same setup, oldest first; the chart shows them all
  // and this run, and never more.
  record.Date = "2026-12-10T00:00:00";
  std::vector<RunRecord> earlier = EarlierRunsLike(path, record, ComparedRuns);
  ASSERT_EQ(earlier.size(), ComparedRuns);
  EXPECT_EQ(earlier.front().MeanWriteMBps, 10);
  EXPECT_EQ(earlier.back().MeanWriteMBps, 59);
  std::string report = HtmlReport(record, earlier);
  EXPECT_EQ(Count(report, "<circle"), ComparedRuns + 1);  // write figures only
  earlier.insert(earlier.begin(), earlier.begin(), earlier.end());
  report = HtmlReport(record, earlier);
  EXPECT_EQ(Count(report, "<circle"), ComparedRuns + 1);  // write figures only
}

TEST(RunHistory, AVerifiedRunsFindingsComeBackAndForgedOnesAreDamage) {
  RunRecord record = SampleRecord("/bench");
  record.Verified = true;
  PhaseVerification found;
  found.CheckSeconds = 0.25;
  found.Result.Counts[SectorClass::Ok] = 2047;
  found.Result.Counts[SectorClass::Misplaced] = 1;
  found.Result.FirstBad = BadSector{SectorClass::Misplaced, 3, 512, "54775331", "5477533102", 12};
  PhaseRecord read;
  read.Verification = found;
  record.Repetitions[0].Read = read;
  record.Result = "completed";
  const std::string line = HistoryLine(record);
  // "verified" reads as "passed" to every reader, older ones too; the run
  // is no plain completed one.
  EXPECT_NE(line.find("\"verified\": false, \"verification\": \"failed\""), std::string::npos);
  EXPECT_NE(line.find("\"result\": \"unverified\""), std::string::npos);
  const std::optional<RunRecord> back = ParseHistoryLine(line);
  ASSERT_TRUE(back);
  EXPECT_TRUE(back->Verified);
  EXPECT_EQ(HistoryLine(*back), line);
  const PhaseVerification& again = *back->Repetitions[0].Read->Verification;
  EXPECT_EQ(again.Result.Counts.Sectors, found.Result.Counts.Sectors);
  EXPECT_EQ(again.CheckSeconds, 0.25);
  EXPECT_EQ(again.Result.FirstBad->Class, SectorClass::Misplaced);
  EXPECT_EQ(again.Result.FirstBad->Offset, 512);
  EXPECT_EQ(again.Result.FirstBad->Found, "5477533102");
  EXPECT_EQ(again.Result.FirstBad->ShownAt, 12);
  EXPECT_FALSE(back->Repetitions[0].Write->Verification);
  const std::string report = HtmlReport(*back, {});
  EXPECT_NE(report.find("<h2>読み込んだデータの検証</h2>"), std::string::npos);
  EXPECT_NE(
      report.find(
          "00000003.bin の 512 バイト目（位置違い） セクタの 12 バイト目から 期待 54775331 実際 "
          "5477533102"),
      std::string::npos);
  // A line of an older program says "verified" alone: the data was checked.
  std::string older = line;
  older.erase(older.find(", \"verification\": \"failed\""), 26);
  older.replace(older.find("\"verified\": false"), 17, "\"verified\": true");
  ASSERT_TRUE(ParseHistoryLine(older));
  EXPECT_TRUE(ParseHistoryLine(older)->Verified);
  record.Repetitions[0].Read->Verification->Result.Counts[SectorClass::Misplaced] = 0;
  record.Repetitions[0].Read->Verification->Result.FirstBad.reset();
  EXPECT_NE(HistoryLine(record).find("\"verified\": true, \"verification\": \"passed\""),
            std::string::npos);
  for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
           {"\"verification\": \"failed\"", "\"verification\": \"maybe\""},
           {"\"misplaced\": 1", "\"misplaced\": -1"},
           {"\"class\": \"misplaced\"", "\"class\": \"ok\""},
           {"\"found\": \"5477533102\"", "\"found\": \"<b>\""}}) {
    std::string forged = line;
    forged.replace(forged.find(from), from.size(), to);
    EXPECT_FALSE(ParseHistoryLine(forged)) << to;
  }
}

TEST(RunHistory, FolderBytesThatAreNotUtf8StayValidAndComeBack) {
  TempFolder folder;
  const std::string odd = folder / "caf\xe9\xff";
  const RunRecord record = SampleRecord(odd);
  const std::string line = HistoryLine(record);
  EXPECT_NE(line.find("caf\\udce9\\udcff"), std::string::npos);  // escaped: the line is UTF-8
  const std::optional<RunRecord> back = ParseHistoryLine(line);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Folder, odd);
  EXPECT_FALSE(ParseHistoryLine(line.substr(0, line.size() / 2)));

  // The report of it parses as XML and holds the table byte for byte.
  const std::string report = HtmlReport(record, {*back});
  EXPECT_NE(report.find(record.Table), std::string::npos);
  EXPECT_NE(report.find("caf\xEF\xBF\xBD\xEF\xBF\xBD"), std::string::npos);
  const std::string file = folder / "report.html";
  std::ofstream(file, std::ios::binary) << report;
  const std::string check =
      "python3 -c 'import sys, xml.etree.ElementTree as E; E.parse(sys.argv[1])' " + file;
  EXPECT_EQ(std::system(check.c_str()), 0);

  // Each timeline names its repetitions' shades: a legend sample drawn with
  // the opacity of that repetition's line.
  RunRecord three = record;
  three.Repetitions = {{1, record.Repetitions[0].Write, std::nullopt},
                       {2, record.Repetitions[0].Write, std::nullopt},
                       {3, record.Repetitions[0].Write, std::nullopt}};
  const std::string chart = HtmlReport(three, {});
  // The opacity of the element just before the first `marker`.
  auto opacityBefore = [&chart](const std::string& marker) {
    const std::size_t at = chart.find(marker);
    if (at == std::string::npos) return std::string("no ") + marker;
    const std::size_t start = chart.rfind("opacity=\"", at) + 9;
    return chart.substr(start, chart.find('"', start) - start);
  };
  for (const char* name : {"1 回目", "2 回目", "3 回目"}) {
    EXPECT_EQ(opacityBefore("text-anchor=\"start\">" + std::string(name) + "</text>"),
              opacityBefore("<title>" + std::string(name) + "</title></polyline>"));
  }
  EXPECT_NE(opacityBefore("<title>1 回目</title></polyline>"),
            opacityBefore("<title>3 回目</title></polyline>"));

  // A stopped run with nothing recorded still gives a document.
  RunRecord stopped;
  stopped.Result = "stopped";
  stopped.Message = "/x/TRW_TEMP/00000001.binに書き込めません";
  std::ofstream(file, std::ios::binary | std::ios::trunc) << HtmlReport(stopped, {});
  EXPECT_EQ(std::system(check.c_str()), 0);
}

}  // namespace
}  // namespace tarnwell
