// Merging hosts' run documents: exact percentiles from the buckets, the
// overlap arithmetic, and the refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/base/UtcTime.h"
#include "engine/fleet/MergedRuns.h"
#include "engine/model/RunRecord.h"
#include "engine/output/RunDocument.h"

namespace tarnwell {
namespace {

constexpr const char* Choices =
    R"({"folder": "/mnt/a", "fileSize": "1MB", "total": "10MB", "repeat": 1, "readPercent": 100.0,
        "block": "1MB", "readOnly": false, "random": false, "priority": null})";

// A phase of the document from its UTC seconds within 2026-12-10T05:40.
std::string Phase(double start, double end, double mbps, const std::string& latency = "") {
  const auto utc = [](double s) {
    return "\"" + FormatUtc(static_cast<std::int64_t>((1796881200 + s) * 1e6)) + "\"";
  };
  return R"({"seconds": )" + JsonNumber(end - start) + R"(, "startUtc": )" + utc(start) +
         R"(, "endUtc": )" + utc(end) + R"(, "mbPerSecond": )" + JsonNumber(mbps) +
         (latency.empty() ? "" : R"(, "latency": )" + latency) + "}";
}

// A run id of the runner's form, one per host name.
std::string Uuid(const std::string& host) {
  std::string id = "00000000-0000-4000-8000-000000000000";
  for (std::size_t i = 0; i < host.size() && i < 8; ++i) {
    id[i] = "0123456789abcdef"[static_cast<unsigned char>(host[i]) % 16];
  }
  id[30] = "0123456789abcdef"[host.size() % 16];
  return id;
}

// One repetition's members after its number.
std::string Repetition(const std::string& write, const std::string& read) {
  return R"(, "write": )" + write + R"(, "read": )" + read;
}

MergeDocument Document(const std::string& host, const std::string& write,
                       const std::string& read = Phase(20, 21, 50),
                       const std::string& choices = Choices, const std::string& extra = "") {
  return {host + ".json", R"({"schema": "tarnwell-run/1", "runId": ")" + Uuid(host) +
                              R"(", "host": ")" + host + R"(", "label": null, )" + extra +
                              R"("choices": )" + choices +
                              R"(, "fileSizeBytes": 1048576, "fileCount": 10, "readCount": 10,)" +
                              R"( "repetitions": [{"repetition": 1)" + Repetition(write, read) +
                              R"(}], "summary": {"write": {"mbPerSecond": 100.0},)" +
                              R"( "read": {"mbPerSecond": 50.0}},)" +
                              R"( "outcome": {"result": "completed", "box": "", "message": ""}})"};
}

// The same document with one text replaced.
MergeDocument Forged(MergeDocument document, const std::string& from, const std::string& to) {
  const std::size_t at = document.Text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) document.Text.replace(at, from.size(), to);
  return document;
}

std::string Latency(const LatencyHistogram& h) {
  return "{\"histogram\": " + HistogramJson(h) + "}";
}

TEST(MergedRuns, BucketsFromTheDocumentsGiveThePercentilesOfOneRunOverAllFiles) {
  // Three hosts whose files took different times, and one run over them all.
  const std::vector<std::vector<double>> hosts = {
      {0.0021, 0.0032, 0.0043, 0.0190}, {0.051, 0.012, 0.0205}, {0.0016, 0.0017, 0.7, 0.004}};
  PhaseRecorder all;
  all.Start(11, 1048576, 0);
  std::vector<MergeDocument> documents;
  for (std::size_t h = 0; h < hosts.size(); ++h) {
    PhaseRecorder one;
    one.Start(static_cast<std::int32_t>(hosts[h].size()), 1048576, 0);
    for (double seconds : hosts[h]) {
      one.Add(1, 1 + seconds);
      all.Add(1, 1 + seconds);
    }
    documents.push_back(
        Document("h" + std::to_string(h), Phase(0, 1, 10, Latency(one.Finish().Histogram))));
  }
  const PhaseStats whole = all.Finish();
  const MergedRuns merged = MergeRuns(documents);
  ASSERT_EQ(merged.Error, "");
  ASSERT_TRUE(merged.WriteLatency);
  EXPECT_FALSE(merged.ReadLatency);
  const MergedLatency& l = *merged.WriteLatency;
  EXPECT_EQ(l.Files, 11);
  EXPECT_EQ(l.P50, whole.P50);
  EXPECT_EQ(l.P90, whole.P90);
  EXPECT_EQ(l.P99, whole.P99);
  EXPECT_EQ(l.P999, whole.P999);
  EXPECT_EQ(l.Histogram.Max, whole.Max);
  // The merged document carries the summed buckets, so merges merge again.
  const std::string json = MergedJson(merged);
  EXPECT_NE(json.find("\"schema\": \"tarnwell-merge/1\""), std::string::npos);
  EXPECT_NE(json.find(HistogramJson(whole.Histogram)), std::string::npos) << json;
}

TEST(MergedRuns, SumsOnlyOverTheTimeEveryHostsPhaseRan) {
  // Full overlap: every host's whole phase, their rates summed.
  MergedRuns full = MergeRuns({Document("a", Phase(0, 10, 100)), Document("b", Phase(0, 10, 50)),
                               Document("c", Phase(0, 10, 25))});
  ASSERT_EQ(full.Error, "");
  ASSERT_EQ(full.Phases.size(), 2u);
  const PhaseOverlap& f = full.Phases[0];
  EXPECT_TRUE(f.EveryHost && f.Overlapped && f.Write);
  EXPECT_NEAR(f.SumMBps, 175, 1e-9);
  EXPECT_EQ(f.Shares, std::vector<double>(3, 1.0));

  // Partial: [5, 10] is half of a's phase and a quarter of b's; a's
  // timeline says it wrote its 10 MB at 1.5 MB/s in its second half.
  const std::string timeline = R"({"timeline": [{"offsetSeconds": 5.0, "mbPerSecond": 0.5},)"
                               R"( {"offsetSeconds": 10.0, "mbPerSecond": 1.5}]})";
  MergedRuns partial = MergeRuns({Document("a", Phase(0, 10, 1, timeline), Phase(40, 41, 1)),
                                  Document("b", Phase(5, 25, 40), Phase(25, 26, 900))});
  ASSERT_EQ(partial.Error, "");
  const PhaseOverlap& p = partial.Phases[0];
  EXPECT_TRUE(p.Overlapped);
  EXPECT_NEAR(p.End - p.Start, 5, 1e-6);
  EXPECT_NEAR(p.Shares[0], 0.5, 1e-6);
  EXPECT_NEAR(p.Shares[1], 0.25, 1e-6);
  EXPECT_NEAR(p.HostMBps[0], 1.5, 1e-6);
  EXPECT_NEAR(p.SumMBps, 41.5, 1e-6);
  ASSERT_EQ(partial.Phases.size(), 2u);
  EXPECT_FALSE(partial.Phases[1].Overlapped);

  // None: b starts as a ends; the text says so instead of a sum.
  MergedRuns none = MergeRuns(
      {Document("a", Phase(0, 10, 100)), Document("b", Phase(10, 20, 100), Phase(30, 31, 5))});
  ASSERT_EQ(none.Error, "");
  EXPECT_TRUE(none.Phases[0].EveryHost);
  EXPECT_FALSE(none.Phases[0].Overlapped);
  const std::string text = MergedText(none);
  EXPECT_NE(text.find(std::string("1\t書き込み\t") + MergeTexts::NoOverlap), std::string::npos);
  EXPECT_NE(
      MergedJson(none).find("\"overlapped\": false, \"clockDoubt\": true, \"mbPerSecond\": null"),
      std::string::npos);
  // A phase within one millisecond cannot be placed against the others.
  MergedRuns instant = MergeRuns(
      {Document("a", Phase(0, 10, 100)), Document("b", Phase(5, 5, 1), Phase(30, 31, 5))});
  EXPECT_TRUE(instant.Phases[0].TooShort);
  EXPECT_FALSE(instant.Phases[0].Overlapped);
}

TEST(MergedRuns, RefusesMixedChoicesAndHostileDocumentsSayingWhy) {
  const std::string write = Phase(0, 1, 10);
  // Folder and priority are each host's own.
  std::string own = Choices;
  own.replace(own.find("/mnt/a"), 6, "/mnt/b");
  own.replace(own.find("null"), 4, "\"High\"");
  EXPECT_EQ(MergeRuns({Document("a", write), Document("b", write, Phase(20, 21, 50), own)}).Error,
            "");

  std::string mixed = Choices;
  mixed.replace(mixed.find("\"1MB\""), 5, "\"10MB\"");
  mixed.replace(mixed.find("\"random\": false"), 15, "\"random\": true");
  EXPECT_EQ(
      MergeRuns({Document("a", write), Document("b", write, Phase(20, 21, 50), mixed)}).Error,
      std::string(MergeTexts::ChoicesDiffer) +
          "fileSize (a.json: \"1MB\", b.json: \"10MB\"), random (a.json: false, b.json: true)");

  MergeDocument stopped = Document("s", write);
  stopped.Text.replace(stopped.Text.find("\"completed\""), 11, "\"stopped\"");
  MergeDocument wrongSchema = Document("w", write);
  wrongSchema.Text.replace(wrongSchema.Text.find("run/1"), 5, "run/2");
  const std::vector<std::pair<std::vector<MergeDocument>, std::string>> refused = {
      {{}, MergeTexts::NoDocuments},
      {{{"x.json", "{\"schema\": "}}, std::string("x.json") + MergeTexts::NotJson},
      {{{"x.json", "[1, 2]"}}, std::string("x.json") + MergeTexts::NotJson},
      {{wrongSchema}, std::string("w.json") + MergeTexts::WrongSchema},
      {{stopped}, std::string("s.json") + MergeTexts::NotCompleted + "stopped"},
      {{Document("a", write), Document("a", write)},
       std::string("a.json と a.json") + MergeTexts::SameRun + Uuid("a") + ") です"},
      {{Document("a", Phase(5, 1, 10))},
       std::string("a.json") + MergeTexts::Malformed + "\"endUtc\""},
      {{Document("a", Phase(0, 1, -1))},
       std::string("a.json") + MergeTexts::Malformed + "\"mbPerSecond\""},
  };
  for (const auto& [documents, error] : refused) EXPECT_EQ(MergeRuns(documents).Error, error);
  // Buckets out of range, out of order or of another shape never count.
  for (const std::string histogram :
       {"42, \"counts\": [[672, 1]]", "42, \"counts\": [[3, 1], [2, 1]]",
        "42, \"counts\": [[1, -1]]", "42, \"counts\": [[1.5, 1]]", "41, \"counts\": [[1, 1]]"}) {
    const std::string latency =
        R"({"histogram": {"smallestSeconds": 1e-07, "bucketsPerOctave": 16,)"
        R"( "zeroes": 0, "max": 1.0, "octaves": )" +
        histogram + "}}";
    EXPECT_NE(MergeRuns({Document("a", Phase(0, 1, 1, latency))}).Error, "") << histogram;
  }
}

TEST(MergedRuns, RefusesWhatTheSchemaOrTheChoicesRuleOut) {
  const MergeDocument good = Document("a", Phase(0, 1, 10));
  ASSERT_EQ(MergeRuns({good}).Error, "");
  const std::string repetition =
      R"({"repetition": 1)" + Repetition(Phase(0, 1, 10), Phase(2, 3, 5));
  std::string shares;
  for (int i = 0; i < 101; ++i)
    shares += (i ? ", " : "") + std::string(R"({"offsetSeconds": 0.001, "mbPerSecond": 1.0})");
  LatencyHistogram eleven;
  eleven.Max = 0.01;
  eleven.Counts = {{100, 11}};  // one file more than the phase wrote
  const std::vector<std::pair<MergeDocument, std::string>> forged = {
      {Forged(good, Uuid("a"), "run-a"), MergeTexts::NotUuid},
      {Forged(good, Uuid("a"), "A" + Uuid("a").substr(1)), MergeTexts::NotUuid},
      {Forged(good, "\"fileSizeBytes\": 1048576", "\"fileSizeBytes\": 0"), "fileSizeBytes"},
      {Forged(good, "\"fileCount\": 10", "\"fileCount\": -10"), "fileCount"},
      {Forged(good, "\"readCount\": 10", "\"readCount\": 1e15"), "readCount"},
      {Forged(good, "\"repeat\": 1", "\"repeat\": 2"), MergeTexts::RepeatNotAChoice},
      {Forged(good, "{\"seconds\": 1.0", "{\"seconds\": -1.0"), "\"seconds\""},
      {Forged(good, "{\"seconds\": 1.0", "{\"seconds\": 9.0"), MergeTexts::SecondsMismatch},
      // Repetitions numbered twice, or more than the choices say.
      {Forged(Forged(good, "\"repeat\": 1", "\"repeat\": 3"), "}], \"summary\"",
              "}, " + repetition + "}, " + repetition + "}], \"summary\""),
       "2 番目の繰り返しの番号が 1 です"},
      {Forged(good, "}], \"summary\"", "}, " + repetition + "}], \"summary\""),
       "繰り返しは 1 回のはずが"},
      {Forged(good, "\"read\": {\"seconds\"", "\"read\": null, \"x\": {\"seconds\""),
       "1 回目の読み込みがありません"},
      {Forged(good, "\"summary\": {\"write\": {\"mbPerSecond\": 100.0},",
              "\"summary\": null, \"s\": {"),
       "\"summary\""},
      {Document("a", Phase(0, 1, 10, R"({"timeline": [)" + shares + "]}")),
       "timeline は 100 区切りまで"},
      {Document("a",
                Phase(0, 1, 10, R"({"timeline": [{"offsetSeconds": 50.0, "mbPerSecond": 1.0}]})")),
       MergeTexts::TimelineBeyondPhase},
      // 10 MB in a second at most, not 10 MB in its first tenth and more after.
      {Document("a", Phase(0, 1, 10,
                           R"({"timeline": [{"offsetSeconds": 0.1, "mbPerSecond": 100.0},)"
                           R"( {"offsetSeconds": 1.0, "mbPerSecond": 100.0}]})")),
       MergeTexts::TimelineTooManyBytes},
      {Document("a", Phase(0, 1, 10, Latency(eleven))), "ファイル数 11"},
      {Document("a", Phase(0, 1, 10),
                R"({"seconds": 1.0, "startUtc": "2026-12-10T05:40:20.000Z",)"
                R"( "endUtc": "2026-12-10T05:40:21.000Z", "mbPerSecond": 1.0, "verify": "ok"})"),
       MergeTexts::BadVerify},
      {Document("a", Phase(0, 1, 10), Phase(2, 3, 1), Choices, R"("clockOffsetSeconds": "20", )"),
       MergeTexts::BadClockOffset},
  };
  for (const auto& [document, error] : forged) {
    const std::string said = MergeRuns({document}).Error;
    EXPECT_EQ(said.rfind("a.json" + std::string(MergeTexts::Malformed), 0), 0u) << said;
    EXPECT_NE(said.find(error), std::string::npos) << said;
  }
}

// A verified read phase whose check found `bad` corrupted sectors of 20480.
std::string VerifiedRead(int bad, const std::string& verdict = "device") {
  return R"({"seconds": 1.0, "startUtc": "2026-12-10T05:40:20.000Z",)"
         R"( "endUtc": "2026-12-10T05:40:21.000Z", "mbPerSecond": 10.0,)"
         R"( "verdict": {"verdict": ")" +
         verdict +
         R"("}, "verify": {"checkSeconds": 0.5,)"
         R"( "sectors": {"ok": )" +
         std::to_string(20480 - bad) + R"(, "corrupted": )" + std::to_string(bad) +
         R"(, "misplaced": 0, "stale": 0, "missing": 0}, "firstBad": null}})";
}

TEST(MergedRuns, ShowsEachHostsVerificationAndVerdictAndMarksAFailedMerge) {
  std::string verified = Choices;
  verified.replace(verified.find("\"priority\""), 10, "\"verify\": true, \"priority\"");
  const std::string cached = R"({"seconds": 1.0, "startUtc": "2026-12-10T05:40:20.000Z",)"
                             R"( "endUtc": "2026-12-10T05:40:21.000Z", "mbPerSecond": 900.0,)"
                             R"( "verdict": {"verdict": "cache"}})";
  const std::vector<MergeDocument> fleet = {
      Document("a", Phase(0, 1, 10), VerifiedRead(0), verified),
      Document("b", Phase(0, 1, 10), VerifiedRead(3), verified)};
  const MergedRuns merged = MergeRuns(fleet);
  ASSERT_EQ(merged.Error, "");
  EXPECT_TRUE(merged.VerifyFailed);
  EXPECT_EQ(VerifyCell(merged.Hosts[0]), MergeTexts::VerifyPassed);
  EXPECT_EQ(VerifyCell(merged.Hosts[1]), "不良 3 / 20480 セクタ");
  const std::string text = MergedText(merged);
  EXPECT_NE(text.find("b\t\t100.000\t50.000\t-\t装置を計測\t不良 3 / 20480 セクタ\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("データが検証に通らなかったホストがあります（b）"), std::string::npos)
      << text;
  const std::string json = MergedJson(merged);
  EXPECT_NE(json.find("\"verify\": {\"passed\": false, \"sectors\": 20480, \"badSectors\": 3}"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"verifyFailed\": true"), std::string::npos);
  EXPECT_NE(MergedHtmlReport(merged).find("検証に通らないデータあり"), std::string::npos);
  // A plain run and a read that measured a cache say so; nothing failed.
  const MergedRuns plain =
      MergeRuns({Document("a", Phase(0, 1, 10)), Document("c", Phase(0, 1, 10), cached)});
  ASSERT_EQ(plain.Error, "");
  EXPECT_FALSE(plain.VerifyFailed);
  EXPECT_TRUE(plain.CacheMeasured);
  EXPECT_EQ(VerifyCell(plain.Hosts[1]), MergeTexts::NotVerified);
  EXPECT_EQ(VerdictCell(plain.Hosts[1], false), VerdictTexts::Cache);
  EXPECT_NE(MergedJson(plain).find("\"verdicts\": {\"write\": [null], \"read\": [\"cache\"]}"),
            std::string::npos);
  EXPECT_NE(MergedText(plain).find("キャッシュを計測した段階のあるホストがあります（c）"),
            std::string::npos);
  // A host without counters (a memory file system) says why.
  std::string unjudged = cached;
  unjudged.replace(unjudged.find("cache"), 5, "unknown");
  const MergedRuns memory = MergeRuns(
      {Document("d", Phase(0, 1, 10), unjudged, Choices, R"("counters": {"reason": "tmpfs"}, )")});
  ASSERT_EQ(memory.Error, "");
  EXPECT_EQ(MergeNotes(memory),
            std::vector<std::string>{"d の段階は装置を計測したか確かめられません: tmpfs"});
  // A verified run's read without its check, or a plain run's with one, is forged.
  EXPECT_EQ(MergeRuns({Document("a", Phase(0, 1, 10), Phase(20, 21, 1), verified)}).Error,
            std::string("a.json") + MergeTexts::Malformed + MergeTexts::BadVerify);
  EXPECT_EQ(MergeRuns({Document("a", Phase(0, 1, 10), VerifiedRead(0))}).Error,
            std::string("a.json") + MergeTexts::Malformed + MergeTexts::BadVerify);
}

TEST(MergedRuns, PutsEveryHostOnTheControlNodesClockAndWarnsOfSkew) {
  const auto offset = [](double seconds) {
    return "\"clockOffsetSeconds\": " + JsonNumber(seconds) + ", ";
  };
  // b's clock is 20 s behind: its phases, by its clock, 20 s earlier.
  const MergedRuns skewed =
      MergeRuns({Document("a", Phase(0, 10, 100), Phase(20, 30, 100), Choices, offset(0)),
                 Document("b", Phase(-20, -10, 100), Phase(0, 10, 100), Choices, offset(-20))});
  ASSERT_EQ(skewed.Error, "");
  EXPECT_TRUE(skewed.Phases[0].Overlapped);
  EXPECT_NEAR(skewed.Phases[0].End - skewed.Phases[0].Start, 10, 1e-6);
  EXPECT_FALSE(skewed.Phases[0].ClockDoubt);
  EXPECT_TRUE(MergeNotes(skewed).empty());
  EXPECT_NE(MergedJson(skewed).find("\"clockOffsetSeconds\": -20.0"), std::string::npos);

  // The same without offsets: no overlap, and the text says the clocks are unknown.
  const MergedRuns unknown = MergeRuns({Document("a", Phase(0, 10, 100), Phase(20, 30, 100)),
                                        Document("b", Phase(-20, -10, 100), Phase(0, 10, 100))});
  ASSERT_EQ(unknown.Error, "");
  EXPECT_FALSE(unknown.Phases[0].Overlapped);
  EXPECT_TRUE(unknown.Phases[0].ClockDoubt);
  EXPECT_NE(MergedText(unknown).find("時計のずれがわからないホストがあります（a、b）"),
            std::string::npos);
  EXPECT_NE(MergedJson(unknown).find("\"unknownOffsets\": [\"a\", \"b\"]"), std::string::npos);

  // Known offsets, but an overlap too short for their uncertainty to leave alone.
  const MergedRuns brief =
      MergeRuns({Document("a", Phase(0, 10, 100), Phase(20, 30, 100), Choices, offset(0.0)),
                 Document("b", Phase(9.5, 19.5, 100), Phase(40, 50, 100), Choices, offset(0.0))});
  ASSERT_EQ(brief.Error, "");
  EXPECT_TRUE(brief.Phases[0].Overlapped && brief.Phases[0].ClockDoubt);
  EXPECT_FALSE(brief.Phases[1].ClockDoubt);  // 10 s apart: surely no overlap
  const std::vector<std::string> notes = MergeNotes(brief);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("±0.100 秒"), std::string::npos) << notes[0];
}

}  // namespace
}  // namespace tarnwell
