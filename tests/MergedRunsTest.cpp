// Merging hosts' run documents: exact percentiles from the buckets, the
// overlap arithmetic, and the refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/MergedRuns.h"
#include "engine/RunRecord.h"
#include "engine/UtcTime.h"

namespace tarnwell {
namespace {

constexpr const char* Choices =
    R"({"folder": "/mnt/a", "fileSize": "1MB", "total": "10MB", "repeat": 1, "readPercent": 100.0,
        "block": "1MB", "random": false, "priority": null})";

// A phase of the document from its UTC seconds within 2026-12-10T05:40.
std::string Phase(double start, double end, double mbps, const std::string& latency = "") {
  const auto utc = [](double s) {
    return "\"" + FormatUtc(static_cast<std::int64_t>((1796881200 + s) * 1e6)) + "\"";
  };
  return R"({"seconds": 0.1, "startUtc": )" + utc(start) + R"(, "endUtc": )" + utc(end) +
         R"(, "mbPerSecond": )" + JsonNumber(mbps) +
         (latency.empty() ? "" : R"(, "latency": )" + latency) + "}";
}

MergeDocument Document(const std::string& host, const std::string& write,
                       const std::string& read = "null", const std::string& choices = Choices) {
  return {host + ".json", R"({"schema": "tarnwell-run/1", "runId": "id-)" + host +
                              R"(", "host": ")" + host + R"(", "label": null, "choices": )" +
                              choices + R"(, "repetitions": [{"repetition": 1, "write": )" + write +
                              R"(, "read": )" + read +
                              R"(}], "summary": {"write": {"mbPerSecond": 100.0}, "read": null},)" +
                              R"( "outcome": {"result": "completed", "box": "", "message": ""}})"};
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
  ASSERT_EQ(full.Phases.size(), 1u);  // no host read
  const PhaseOverlap& f = full.Phases[0];
  EXPECT_TRUE(f.EveryHost && f.Overlapped && f.Write);
  EXPECT_NEAR(f.SumMBps, 175, 1e-9);
  EXPECT_EQ(f.Shares, std::vector<double>(3, 1.0));

  // Partial: [5, 10] is half of a's phase and a quarter of b's; a's
  // timeline says it ran at 200 MB/s in its second half.
  const std::string timeline = R"({"timeline": [{"offsetSeconds": 5.0, "mbPerSecond": 50.0},)"
                               R"( {"offsetSeconds": 10.0, "mbPerSecond": 200.0}]})";
  MergedRuns partial = MergeRuns({Document("a", Phase(0, 10, 125, timeline)),
                                  Document("b", Phase(5, 25, 40), Phase(25, 26, 900))});
  ASSERT_EQ(partial.Error, "");
  const PhaseOverlap& p = partial.Phases[0];
  EXPECT_TRUE(p.Overlapped);
  EXPECT_NEAR(p.End - p.Start, 5, 1e-6);
  EXPECT_NEAR(p.Shares[0], 0.5, 1e-6);
  EXPECT_NEAR(p.Shares[1], 0.25, 1e-6);
  EXPECT_NEAR(p.HostMBps[0], 200, 1e-6);
  EXPECT_NEAR(p.SumMBps, 240, 1e-6);
  // Only b read: no sum claims to be every host's.
  ASSERT_EQ(partial.Phases.size(), 2u);
  EXPECT_FALSE(partial.Phases[1].EveryHost);
  EXPECT_FALSE(partial.Phases[1].Overlapped);

  // None: b starts as a ends; the text says so instead of a sum.
  MergedRuns none =
      MergeRuns({Document("a", Phase(0, 10, 100)), Document("b", Phase(10, 20, 100))});
  ASSERT_EQ(none.Error, "");
  EXPECT_TRUE(none.Phases[0].EveryHost);
  EXPECT_FALSE(none.Phases[0].Overlapped);
  const std::string text = MergedText(none);
  EXPECT_NE(text.find(std::string("1\t書き込み\t") + MergeTexts::NoOverlap), std::string::npos);
  EXPECT_NE(MergedJson(none).find("\"overlapped\": false, \"mbPerSecond\": null"),
            std::string::npos);
  // A phase within one millisecond cannot be placed against the others.
  MergedRuns instant = MergeRuns({Document("a", Phase(0, 10, 100)), Document("b", Phase(5, 5, 1))});
  EXPECT_TRUE(instant.Phases[0].TooShort);
  EXPECT_FALSE(instant.Phases[0].Overlapped);
}

TEST(MergedRuns, RefusesMixedChoicesAndHostileDocumentsSayingWhy) {
  const std::string write = Phase(0, 1, 10);
  // Folder and priority are each host's own.
  std::string own = Choices;
  own.replace(own.find("/mnt/a"), 6, "/mnt/b");
  own.replace(own.find("null"), 4, "\"High\"");
  EXPECT_EQ(MergeRuns({Document("a", write), Document("b", write, "null", own)}).Error, "");

  std::string mixed = Choices;
  mixed.replace(mixed.find("\"1MB\""), 5, "\"10MB\"");
  mixed.replace(mixed.find("false"), 5, "true");
  EXPECT_EQ(
      MergeRuns({Document("a", write), Document("b", write, "null", mixed)}).Error,
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
       std::string("a.json と a.json") + MergeTexts::SameRun + "id-a) です"},
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

}  // namespace
}  // namespace tarnwell
