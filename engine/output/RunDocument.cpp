// Writing the run document: the history line and the runner's document.
#include "engine/output/RunDocument.h"

#include "engine/base/UtcTime.h"
#include "engine/judge/Verdict.h"
#include "engine/judge/VerifyNotes.h"
#include "engine/run/ResultTable.h"

namespace tarnwell {
namespace {

constexpr SectorClass Classes[] = {SectorClass::Ok, SectorClass::Corrupted, SectorClass::Misplaced,
                                   SectorClass::Stale, SectorClass::Missing};

std::string Field(const char* name, const std::string& json, bool first = false) {
  std::string field = first ? "\"" : ", \"";
  field += name;
  field += "\": ";
  field += json;
  return field;
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string Count(std::int64_t value) { return std::to_string(value); }

std::string NullOr(bool present, const std::string& json) { return present ? json : "null"; }

const char* SectorClassKey(SectorClass c) {
  switch (c) {
    case SectorClass::Ok:
      return "ok";
    case SectorClass::Corrupted:
      return "corrupted";
    case SectorClass::Misplaced:
      return "misplaced";
    case SectorClass::Stale:
      return "stale";
    case SectorClass::Missing:
      return "missing";
  }
  return "";
}

const char* ShortfallKey(FillShortfall shortfall) {
  switch (shortfall) {
    case FillShortfall::None:
      break;
    case FillShortfall::Inodes:
      return "inodes";
    case FillShortfall::FreeSpaceShown:
      return "freeSpaceShown";
    case FillShortfall::OtherWriters:
      return "otherWriters";
    case FillShortfall::WholeBlocks:
      return "wholeBlocks";
    case FillShortfall::Records:
      return "records";
    case FillShortfall::WriteError:
      return "writeError";
  }
  return "";
}

std::string BadSectorJson(const BadSector& bad) {
  return "{" + Field("class", JsonString(SectorClassKey(bad.Class)), true) +
         Field("file", Count(bad.File)) + Field("offset", Count(bad.Offset)) +
         Field("shownAt", Count(bad.ShownAt)) + Field("expected", JsonString(bad.Expected)) +
         Field("found", JsonString(bad.Found)) + "}";
}

std::string VerificationJson(const PhaseVerification& v) {
  std::string json =
      "{" + Field("checkSeconds", JsonNumber(v.CheckSeconds), true) + ", \"sectors\": {";
  for (const SectorClass c : Classes) {
    json += Field(SectorClassKey(c), Count(v.Result.Counts[c]), c == SectorClass::Ok);
  }
  const std::optional<BadSector>& bad = v.Result.FirstBad;
  return json + "}" + Field("firstBad", bad ? BadSectorJson(*bad) : "null") + "}";
}

// The phase's "exactSeconds" and "exactMBPerSecond", each with its leading
// ", ", when the precise clock timed it.
std::string ExactJson(const PhaseRecord& phase) {
  if (phase.ExactSeconds < 0) return "";
  return Field("exactSeconds", JsonNumber(phase.ExactSeconds)) +
         Field("exactMBPerSecond", JsonNumber(phase.ExactMBPerSecond));
}

// The phase's "writeCliff", with its leading ", ": null where it has none.
std::string WriteCliffJson(const std::optional<WriteCliff>& cliff) {
  if (!cliff) return Field("writeCliff", "null");
  return Field("writeCliff", "{" + Field("share", Count(cliff->Share), true) +
                                 Field("atBytes", Count(cliff->AtBytes)) +
                                 Field("beforeMBPerSecond", JsonNumber(cliff->BeforeMBps)) +
                                 Field("afterMBPerSecond", JsonNumber(cliff->AfterMBps)) + "}");
}

std::string CountingJson(const DeviceCounting& counting) {
  std::string devices;
  for (const std::string& name : counting.Devices) {
    devices += (devices.empty() ? "" : ", ") + JsonString(name);
  }
  return "{" + Field("devices", "[" + devices + "]", true) +
         Field("backingFile", JsonString(counting.BackingFile)) +
         Field("linkMBps", JsonNumber(counting.LinkMBps)) + Field("wine", Bool(counting.Wine)) +
         Field("reason", JsonString(counting.Reason)) + "}";
}

std::string VerdictJson(const PhaseVerdict& verdict) {
  if (verdict.Kind == VerdictKind::None) return "null";
  const double ratio = verdict.Ratio();
  return "{" + Field("verdict", JsonString(VerdictKindKey(verdict.Kind)), true) +
         Field("label", JsonString(VerdictLabel(verdict.Kind))) +
         Field("bytes", Count(verdict.Bytes)) +
         Field("deviceBytes", NullOr(verdict.DeviceBytes >= 0, Count(verdict.DeviceBytes))) +
         Field("ratio", NullOr(ratio >= 0, JsonNumber(ratio))) +
         Field("overLink", Bool(verdict.OverLink)) + "}";
}

std::string FillJson(const std::optional<FillRecord>& fill) {
  if (!fill) return "null";
  return "{" + Field("capacityBytes", Count(fill->CapacityBytes), true) +
         Field("freeBytes", Count(fill->FreeBytes)) +
         Field("plannedBytes", Count(fill->PlannedBytes)) +
         Field("writtenBytes", Count(fill->WrittenBytes)) +
         Field("verifiedBytes", Count(fill->VerifiedBytes)) +
         Field("usableBytes", NullOr(fill->UsableBytes >= 0, Count(fill->UsableBytes))) +
         Field("shortfall", NullOr(fill->Shortfall != FillShortfall::None,
                                   JsonString(ShortfallKey(fill->Shortfall)))) +
         Field("freeAfterBytes", Count(fill->FreeAfterBytes)) +
         Field("allocatedBytes", Count(fill->AllocatedBytes)) +
         Field("stopReason", JsonString(fill->StopReason)) + "}";
}

// A phase as the history keeps it.
std::string HistoryPhaseJson(const std::optional<PhaseRecord>& phase) {
  if (!phase) return "null";
  return "{" + Field("seconds", JsonNumber(phase->Seconds), true) +
         Field("mbPerSecond", JsonNumber(phase->MBPerSecond)) + ExactJson(*phase) +
         WriteCliffJson(phase->Cliff) + Field("latency", StatsJson(phase->Stats, false)) +
         Field("verdict", VerdictJson(phase->Verdict)) +
         (phase->Verification ? Field("verify", VerificationJson(*phase->Verification)) : "") + "}";
}

// What checking the data read back found, as the history says it: "off"
// (no check), "unchecked" (nothing was read back), "passed" or "failed".
std::string VerificationState(const RunRecord& r) {
  if (!r.Verified) return "off";
  const VerifyResult found = RunVerification(r);
  if (!found.Clean()) return "failed";
  return found.Counts.Total() == 0 ? "unchecked" : "passed";
}

std::string HistoryChoicesJson(const RunRecord& r) {
  return Field("date", JsonString(r.Date), true) + Field("host", JsonString(r.Host)) +
         Field("system", JsonString(r.System)) + Field("folder", JsonString(r.Folder)) +
         Field("fileSize", JsonString(r.FileSize)) + Field("total", JsonString(r.Total)) +
         Field("block", JsonString(r.Block)) + Field("readPercent", JsonString(r.ReadPercent)) +
         Field("repeat", Count(r.Repeat)) + Field("waitSeconds", Count(r.WaitSeconds)) +
         Field("readOnly", Bool(r.ReadOnly)) + Field("random", Bool(r.Random)) +
         Field("delete", Bool(r.Delete)) + Field("fileSizeBytes", Count(r.FileSizeBytes)) +
         Field("fileCount", Count(r.FileCount)) + Field("readCount", Count(r.ReadCount));
}

std::string HistoryRepetitionsJson(const RunRecord& r) {
  std::string json = ", \"repetitions\": [";
  for (std::size_t i = 0; i < r.Repetitions.size(); ++i) {
    const RepetitionRecord& repetition = r.Repetitions[i];
    json += (i == 0 ? "{" : ", {") + Field("repetition", Count(repetition.Number), true) +
            Field("write", HistoryPhaseJson(repetition.Write)) +
            Field("read", HistoryPhaseJson(repetition.Read)) + "}";
  }
  return json + "]";
}

// The runner's document, part by part.

std::string Utc(std::int64_t time) { return time > 0 ? JsonString(FormatUtc(time)) : "null"; }

std::string RunnerPhaseJson(double seconds, std::int64_t bytes,
                            const std::optional<PhaseRecord>& phase) {
  std::string json = "{" + Field("seconds", JsonNumber(seconds), true) +
                     Field("mbps", JsonNumber(ResultTable::Mbps(bytes, seconds))) +
                     Field("mbPerSecond", JsonNumber(ResultTable::MBPerSecond(bytes, seconds)));
  if (!phase) return json + Field("startUtc", "null") + Field("endUtc", "null") + "}";
  json += ExactJson(*phase) + WriteCliffJson(phase->Cliff) +
          Field("startUtc", Utc(phase->StartUtc)) + Field("endUtc", Utc(phase->EndUtc));
  if (phase->Stats.Files > 0) json += Field("latency", StatsJson(phase->Stats, true));
  if (phase->Verdict.Kind != VerdictKind::None)
    json += Field("verdict", VerdictJson(phase->Verdict));
  if (phase->Verification) json += Field("verify", VerificationJson(*phase->Verification));
  return json + "}";
}

RepetitionRecord Repetition(const RunRecord& record, int i) {
  return static_cast<std::size_t>(i) <= record.Repetitions.size()
             ? record.Repetitions[static_cast<std::size_t>(i - 1)]
             : RepetitionRecord{};
}

std::string SummaryJson(const ResultTable::PhaseSummary& summary, std::int64_t bytes) {
  return "{" + Field("bytes", Count(bytes), true) +
         Field("meanSeconds", JsonNumber(summary.MeanSeconds)) +
         Field("variance", JsonNumber(summary.Variance)) + Field("mbps", JsonNumber(summary.Mbps)) +
         Field("mbPerSecond", JsonNumber(summary.MBPerSecond)) + "}";
}

const char* ResultName(RunOutcome::Kind kind) {
  switch (kind) {
    case RunOutcome::Kind::Completed:
      return "completed";
    case RunOutcome::Kind::Stopped:
      return "stopped";
    case RunOutcome::Kind::Ended:
      return "ended";
    case RunOutcome::Kind::Interrupted:
      return "interrupted";
  }
  return "unknown";
}

std::string Item(std::string_view item) { return JsonString(std::string(item)); }

// Who and when, for documents gathered from many machines.
std::string WhoAndWhenJson(const RunDocumentChoices& choices, const RunRecord& record) {
  const std::string startAt =
      "{" + Field("requested", JsonString(FormatUtc(record.StartRequested)), true) +
      Field("actual", JsonString(FormatUtc(record.StartActual))) + "}";
  return "{\n  " + Field("schema", JsonString(RunDocumentSchema), true) + ",\n  " +
         Field("runId", JsonString(record.RunId), true) + ",\n  " +
         Field("host", JsonString(record.Host), true) + ",\n  " +
         Field("label", NullOr(choices.Label.has_value(), JsonString(choices.Label.value_or(""))),
               true) +
         ",\n  " + Field("startAt", NullOr(record.StartRequested >= 0, startAt), true) + ",\n  " +
         Field("clockOffsetSeconds",
               NullOr(choices.ClockOffset.has_value(), JsonNumber(choices.ClockOffset.value_or(0))),
               true) +
         ",\n";
}

std::string ChoicesJson(const RunDocumentChoices& c, const RunParameters& parameters,
                        const RunRecord& record) {
  const auto at = [](const auto& items, int index) {
    return Item(items[static_cast<std::size_t>(index)]);
  };
  // The check's total is the free space it found.
  const std::string total = record.Fill        ? JsonString(record.Total)
                            : c.TotalBytes > 0 ? JsonString(TotalText(c.TotalBytes))
                                               : at(TotalSizeItems, c.TotalSizeIndex);
  return "  \"choices\": {" + Field("folder", JsonString(c.Folder), true) +
         Field("fileSize", at(FileSizeItems, c.FileSizeIndex)) + Field("total", total) +
         Field("repeat", std::string(RepeatItems[static_cast<std::size_t>(c.RepeatIndex)])) +
         Field("waitSeconds", Count(parameters.WaitMSec / 1000)) +
         Field("readPercent", JsonNumber(parameters.ReadPercent)) +
         Field("block", at(BlockItems, c.OneMegabyteBlocks ? 1 : 0)) +
         Field("readOnly", Bool(c.ReadOnly)) + Field("random", Bool(c.Random)) +
         Field("delete", Bool(c.Delete)) + Field("verify", Bool(c.Verify)) +
         Field("priority", NullOr(c.PriorityIndex >= 0,
                                  c.PriorityIndex >= 0 ? at(PriorityItems, c.PriorityIndex) : "")) +
         "},\n";
}

std::string RunFactsJson(const BenchmarkRun& run, const RunRecord& record) {
  const auto line = [](const char* name, const std::string& json) {
    return "  " + Field(name, json, true) + ",\n";
  };
  return line("fileSizeBytes", Count(run.Parameters().FileSize)) +
         line("fileCount", Count(run.Parameters().FileCount)) +
         line("readCount", Count(run.ReadCount())) + line("directIo", Bool(run.UsedDirectIo())) +
         line("io", JsonString(record.IoMode)) + line("device", DeviceJson(record.Device)) +
         line("counters", CountingJson(record.Counting));
}

std::int64_t WriteBytes(const BenchmarkRun& run) {
  return static_cast<std::int64_t>(run.Parameters().FileSize) * run.Parameters().FileCount;
}

std::string RunnerRepetitionsJson(bool readOnly, const BenchmarkRun& run, const RunRecord& record) {
  const ResultTable& table = run.Table();
  std::string json = "  \"repetitions\": [";
  for (int i = 1; i <= table.WriteHalves(); ++i) {
    json += i == 1 ? "\n    " : ",\n    ";
    const RepetitionRecord repetition = Repetition(record, i);
    json +=
        "{" + Field("repetition", Count(i), true) +
        Field("write", readOnly ? "null"
                                : RunnerPhaseJson(table.WriteSeconds(i), WriteBytes(run),
                                                  repetition.Write)) +
        Field("read", i <= table.ReadHalves()
                          ? RunnerPhaseJson(table.ReadSeconds(i), run.ReadBytes(i), repetition.Read)
                          : "null") +
        "}";
  }
  return json + (table.WriteHalves() > 0 ? "\n  ],\n" : "],\n");
}

std::string RunnerSummaryJson(bool readOnly, const BenchmarkRun& run) {
  const ResultTable& table = run.Table();
  std::vector<double> writes, reads;
  for (int i = 1; i <= run.Repetitions(); ++i) {
    writes.push_back(table.WriteSeconds(i));
    reads.push_back(table.ReadSeconds(i));
  }
  const std::int64_t writeBytes = WriteBytes(run);
  // What the reads brought back (a verified run goes on past short files).
  const std::int64_t readBytes = run.MeanReadBytes();
  return "{" +
         Field("write",
               readOnly ? "null"
                        : SummaryJson(
                              ResultTable::Summarize(writes.data(), run.Repetitions(), writeBytes),
                              writeBytes),
               true) +
         Field("read",
               SummaryJson(ResultTable::Summarize(reads.data(), run.Repetitions(), readBytes),
                           readBytes)) +
         "}";
}

std::string ReportJson(const RunDocumentChoices& c) {
  if (c.ReportFile.empty()) return "null";
  return "{" + Field("file", JsonString(c.ReportFile), true) +
         Field("written", Bool(c.ReportWritten)) + Field("message", JsonString(c.ReportMessage)) +
         "}";
}

std::string OutcomeJson(const RunDocumentChoices& c, const RunOutcome& outcome) {
  // The run's own stop comes first; a lost report fails a completed run.
  const bool stopped = outcome.Result == RunOutcome::Kind::Stopped;
  const bool reportLost =
      outcome.Result == RunOutcome::Kind::Completed && !c.ReportFile.empty() && !c.ReportWritten;
  const char* box = stopped      ? (outcome.Box == MessageKind::Error ? "error" : "plain")
                    : reportLost ? "plain"
                                 : "";
  const std::string message = stopped      ? outcome.Message
                              : reportLost ? c.ReportMessage
                                           : std::string();
  return "{" +
         Field("result", JsonString(reportLost ? "stopped" : ResultName(outcome.Result)), true) +
         Field("box", JsonString(box)) + Field("message", JsonString(message)) + "}";
}

}  // namespace

const char* VerdictKindKey(VerdictKind kind) {
  switch (kind) {
    case VerdictKind::Device:
      return "device";
    case VerdictKind::Mixed:
      return "mixed";
    case VerdictKind::Cache:
      return "cache";
    case VerdictKind::Unknown:
      return "unknown";
    case VerdictKind::None:
      break;
  }
  return "";
}

std::string DeviceJson(const platform::DeviceIdentity& device) {
  return "{" + Field("folder", JsonString(device.Folder), true) +
         Field("fileSystem", JsonString(device.FileSystemType)) +
         Field("mountSource", JsonString(device.MountSource)) +
         Field("mountPoint", JsonString(device.MountPoint)) +
         Field("device", JsonString(device.DeviceName)) + Field("model", JsonString(device.Model)) +
         Field("rotational", NullOr(device.Rotational >= 0, Bool(device.Rotational == 1))) +
         Field("logicalSectorBytes", Count(device.LogicalSectorBytes)) +
         Field("physicalSectorBytes", Count(device.PhysicalSectorBytes)) +
         Field("freeBytes", Count(device.FreeBytes)) + "}";
}

std::string StatsJson(const PhaseStats& stats, bool withTimeline) {
  std::string json = "{" + Field("files", Count(stats.Files), true) +
                     Field("p50", JsonNumber(stats.P50)) + Field("p90", JsonNumber(stats.P90)) +
                     Field("p99", JsonNumber(stats.P99)) + Field("p99.9", JsonNumber(stats.P999)) +
                     Field("max", JsonNumber(stats.Max));
  if (withTimeline) {
    json += ", \"timelineMBps\": [";
    for (std::size_t i = 0; i < stats.Timeline.size(); ++i) {
      json += (i == 0 ? "" : ", ") + JsonNumber(stats.Timeline[i]);
    }
    json += "]" + Field("histogram", HistogramJson(stats.Histogram)) + ", \"timeline\": [";
    for (std::size_t i = 0; i < stats.Timeline.size() && i < stats.TimelineEndSeconds.size(); ++i) {
      json += (i == 0 ? "{" : ", {") +
              Field("offsetSeconds", JsonNumber(stats.TimelineEndSeconds[i]), true) +
              Field("mbPerSecond", JsonNumber(stats.Timeline[i])) + "}";
    }
    json += "]";
  }
  return json + "}";
}

std::string HistogramJson(const LatencyHistogram& histogram) {
  std::string json =
      "{" + Field("smallestSeconds", JsonNumber(PhaseRecorder::SmallestSeconds), true) +
      Field("bucketsPerOctave", Count(PhaseRecorder::BucketsPerOctave)) +
      Field("octaves", Count(PhaseRecorder::Octaves)) + Field("zeroes", Count(histogram.Zeroes)) +
      Field("min", JsonNumber(histogram.Min)) + Field("max", JsonNumber(histogram.Max)) +
      ", \"counts\": [";
  for (std::size_t i = 0; i < histogram.Counts.size(); ++i) {
    json += (i == 0 ? "[" : ", [") + Count(histogram.Counts[i].first) + ", " +
            Count(histogram.Counts[i].second) + "]";
  }
  return json + "]}";
}

std::string HistoryLine(const RunRecord& r) {
  // "verified" means "passed" to every reader, older ones included, and a
  // run whose data failed is no plain completed one.
  const std::string verification = VerificationState(r);
  const std::string result =
      r.Result == "completed" && verification == "failed" ? "unverified" : r.Result;
  return "{" + HistoryChoicesJson(r) + Field("device", DeviceJson(r.Device)) +
         Field("counters", CountingJson(r.Counting)) + Field("io", JsonString(r.IoMode)) +
         Field("table", JsonString(r.Table)) + Field("verified", Bool(verification == "passed")) +
         Field("verification", JsonString(verification)) + HistoryRepetitionsJson(r) +
         Field("meanWriteMBps", JsonNumber(r.MeanWriteMBps)) +
         Field("meanReadMBps", JsonNumber(r.MeanReadMBps)) + Field("result", JsonString(result)) +
         Field("message", JsonString(r.Message)) + Field("fill", FillJson(r.Fill)) + "}";
}

std::string RunDocumentJson(const RunDocumentChoices& choices, const BenchmarkRun& run,
                            const RunOutcome& outcome, const RunRecord& record) {
  const bool completed = outcome.Result == RunOutcome::Kind::Completed;
  return WhoAndWhenJson(choices, record) + ChoicesJson(choices, run.Parameters(), record) +
         RunFactsJson(run, record) + RunnerRepetitionsJson(choices.ReadOnly, run, record) + "  " +
         Field("summary", completed ? RunnerSummaryJson(choices.ReadOnly, run) : "null", true) +
         ",\n  " + Field("fill", FillJson(record.Fill), true) + ",\n  " +
         Field("report", ReportJson(choices), true) + ",\n  " +
         Field("outcome", OutcomeJson(choices, outcome), true) + "\n}\n";
}

}  // namespace tarnwell
