// The run document, the one home of its keys: the history line and its
// reading back, the runner's --json document, and the parts of both that
// the merge of many hosts' documents reads and writes again. The keys are
// written here and in doc/tarnwell-run.schema.json, nowhere else.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/base/Json.h"
#include "engine/base/Refusal.h"
#include "engine/model/RunDocumentChoices.h"
#include "engine/model/RunRecord.h"
#include "engine/run/BenchmarkRun.h"

namespace tarnwell {

inline constexpr const char* RunDocumentSchema = "tarnwell-run/1";

// The device identity as a JSON object.
std::string DeviceJson(const platform::DeviceIdentity& device);
// Percentiles (and, when `withTimeline`, the timeline both as bare MB/s and
// with each share's end, and the raw histogram) as a JSON object.
std::string StatsJson(const PhaseStats& stats, bool withTimeline);
// The histogram with its bucket geometry, counts as [index, count] pairs.
std::string HistogramJson(const LatencyHistogram& histogram);
// A verdict's kind as the documents name it ("device", ...); nothing for None.
const char* VerdictKindKey(VerdictKind kind);

// One line of the history file (no line end): the record without its
// timelines, which only a report of the run itself shows.
std::string HistoryLine(const RunRecord& record);
// How much of a history line is read: all of it, or what a row of the
// history's list shows (date, device, folder, file size, total, block, the
// means and the result), the rest being checked as JSON only.
enum class HistoryDetail { Whole, Row };
// The record a history line holds; nothing when the line is damaged.
std::optional<RunRecord> ParseHistoryLine(std::string_view line,
                                          HistoryDetail detail = HistoryDetail::Whole);

// The runner's document ("schema": "tarnwell-run/1"): the choices, each
// repetition's recorded times, throughputs, file latencies and timeline, the
// device, the summaries and the outcome. Floating-point figures always carry
// a decimal point and counts never do; the outcome always has "result",
// "box" and "message" ("" unless a message stopped the run). "report" is
// null without a report file; a report that could not be written makes the
// result "stopped" with the report's message, even though the measurement
// itself completed.
std::string RunDocumentJson(const RunDocumentChoices& choices, const BenchmarkRun& run,
                            const RunOutcome& outcome, const RunRecord& record);

// A phase's verification as its documents hold it; nothing when malformed.
std::optional<PhaseVerification> ReadVerification(const JsonValue& value);

// Reads the members of a document by kind, each figure checked against the
// range a run writes. Required members are refused when absent or of another
// kind; optional ones fall back, but a figure out of range is refused all
// the same. The first refusal is kept, after `prefix`.
class DocumentReader {
public:
  // `countOutOfRange`: a format of the member, the lowest and the highest
  // ("%s", "%lld", "%lld").
  DocumentReader(std::string prefix, const char* countOutOfRange);

  bool Failed() const { return fault_.has_value(); }
  // Only when Failed().
  const Refusal& Fault() const { return *fault_; }
  void Fail(const std::string& what);

  // Required: absent or another kind is a fault naming the member; null
  // gives nothing, without a fault, when `nullable`.
  const JsonValue* Member(const JsonValue& object, const char* key, JsonValue::Kind kind,
                          bool nullable = false);
  // A whole number within [lowest, highest].
  std::int64_t Integer(const JsonValue& object, const char* key, std::int64_t lowest,
                       std::int64_t highest);
  // A finite figure within [lowest, highest].
  double Figure(const JsonValue& object, const char* key, double lowest, double highest);
  // A whole number from 0 to 2^32; a fault named `what` otherwise.
  double Count(const JsonValue& value, const char* what);
  // A UTC time as seconds since 1970.
  double Time(const JsonValue& object, const char* key);

  // Optional: `otherwise` when absent or not a number. A count whole and
  // within its type (and 2^62); a figure from `lowest` to far beyond any disk.
  template <class CountType>
  CountType CountOr(const JsonValue& object, std::string_view key, CountType otherwise);
  double FigureOr(const JsonValue& object, std::string_view key, double otherwise,
                  double lowest = 0);

private:
  std::string prefix_;
  const char* countOutOfRange_;
  std::optional<Refusal> fault_;
};

}  // namespace tarnwell
