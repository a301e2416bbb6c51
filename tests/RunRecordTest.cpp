// What a run leaves for later: latency percentiles and the timeline from
// known samples, the history file under concurrent appenders and damage,
// and a report that stays well-formed whatever bytes a folder name holds and
// whose timelines say which shade is which repetition.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>

#include "engine/HtmlReport.h"
#include "engine/PhaseStats.h"
#include "engine/RunHistory.h"
#include "tests/TempFolder.h"

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

TEST(RunHistory, ConcurrentAppendersAndADamagedLineLoseNothing) {
  TempFolder folder;
  const std::string path = folder / "data/history.jsonl";
  const RunRecord record = SampleRecord(folder / "bench");
  // Two processes append 200 runs each at the same time.
  pid_t children[2];
  for (pid_t& child : children) {
    child = ::fork();
    if (child == 0) {
      for (int i = 0; i < 200; ++i) {
        if (!AppendToHistory(path, record)) ::_exit(1);
      }
      ::_exit(0);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }
  History history = ReadHistory(path);
  EXPECT_EQ(history.Runs.size(), 400u);
  EXPECT_EQ(history.Damaged, 0);

  // A torn line in the middle costs only itself.
  std::ofstream(path, std::ios::app) << "{\"date\": \"2026-12-0\n";
  ASSERT_TRUE(AppendToHistory(path, record));
  history = ReadHistory(path);
  EXPECT_EQ(history.Runs.size(), 401u);
  EXPECT_EQ(history.Damaged, 1);
  EXPECT_EQ(history.Runs.back().Table, record.Table);
  EXPECT_EQ(history.Runs.back().MeanWriteMBps, 20);
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
