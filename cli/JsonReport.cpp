// The runner's JSON document.
#include "cli/JsonReport.h"

#include <charconv>
#include <cstdio>

#include "engine/base/UtcTime.h"
#include "engine/judge/ShortPhases.h"
#include "engine/judge/Verdict.h"
#include "engine/judge/WriteCliff.h"
#include "engine/output/RecordJson.h"
#include "engine/run/WholeDriveCheck.h"

namespace tarnwell::cli {
namespace {

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string Phase(double seconds, std::int64_t bytes, const std::optional<PhaseRecord>& phase) {
  std::string json = "{\"seconds\": " + JsonNumber(seconds) +
                     ", \"mbps\": " + JsonNumber(ResultTable::Mbps(bytes, seconds)) +
                     ", \"mbPerSecond\": " + JsonNumber(ResultTable::MBPerSecond(bytes, seconds));
  if (phase) json += ExactJson(*phase) + WriteCliffJson(phase->Cliff);
  const auto utc = [](std::int64_t time) {
    return time > 0 ? JsonString(FormatUtc(time)) : std::string("null");
  };
  json += ", \"startUtc\": " + utc(phase ? phase->StartUtc : 0) +
          ", \"endUtc\": " + utc(phase ? phase->EndUtc : 0);
  if (phase && phase->Stats.Files > 0) json += ", \"latency\": " + StatsJson(phase->Stats, true);
  if (phase && phase->Verdict.Kind != VerdictKind::None) {
    json += ", \"verdict\": " + VerdictJson(phase->Verdict);
  }
  if (phase && phase->Verification)
    json += ", \"verify\": " + VerificationJson(*phase->Verification);
  return json + "}";
}

RepetitionRecord Repetition(const RunRecord& record, int i) {
  return static_cast<std::size_t>(i) <= record.Repetitions.size()
             ? record.Repetitions[static_cast<std::size_t>(i - 1)]
             : RepetitionRecord{};
}

std::string Summary(const ResultTable::PhaseSummary& summary, std::int64_t bytes) {
  return "{\"bytes\": " + std::to_string(bytes) +
         ", \"meanSeconds\": " + JsonNumber(summary.MeanSeconds) +
         ", \"variance\": " + JsonNumber(summary.Variance) +
         ", \"mbps\": " + JsonNumber(summary.Mbps) +
         ", \"mbPerSecond\": " + JsonNumber(summary.MBPerSecond) + "}";
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

}  // namespace

std::string JsonReport(const CliOptions& options, const BenchmarkRun& run,
                       const RunOutcome& outcome, const RunRecord& record,
                       const ReportResult& report) {
  const RunChoices& choices = options.Choices;
  const RunParameters& parameters = run.Parameters();
  const ResultTable& table = run.Table();
  const std::int64_t writeBytes =
      static_cast<std::int64_t>(parameters.FileSize) * parameters.FileCount;
  // What the reads brought back (a verified run goes on past short files).
  const std::int64_t readBytes = run.MeanReadBytes();

  // Who and when, for documents gathered from many machines.
  std::string json = "{\n  \"schema\": \"tarnwell-run/1\",\n";
  json += "  \"runId\": " + JsonString(record.RunId) + ",\n";
  json += "  \"host\": " + JsonString(record.Host) + ",\n";
  json += "  \"label\": " + (options.Label ? JsonString(*options.Label) : "null") + ",\n";
  json += "  \"startAt\": " +
          (record.StartRequested >= 0
               ? "{\"requested\": " + JsonString(FormatUtc(record.StartRequested)) +
                     ", \"actual\": " + JsonString(FormatUtc(record.StartActual)) + "}"
               : std::string("null")) +
          ",\n";
  json += "  \"clockOffsetSeconds\": " +
          (options.ClockOffset ? JsonNumber(*options.ClockOffset) : std::string("null")) + ",\n";
  json += "  \"choices\": {";
  json += "\"folder\": " + JsonString(choices.Folder);
  json += ", \"fileSize\": " +
          JsonString(std::string(FileSizeItems[static_cast<std::size_t>(choices.FileSizeIndex)]));
  json += ", \"total\": " +
          JsonString(
              record.Fill ? record.Total  // the check's total is the free space it found
              : choices.TotalBytes > 0
                  ? TotalText(choices.TotalBytes)
                  : std::string(TotalSizeItems[static_cast<std::size_t>(choices.TotalSizeIndex)]));
  json +=
      ", \"repeat\": " + std::string(RepeatItems[static_cast<std::size_t>(choices.RepeatIndex)]);
  json += ", \"waitSeconds\": " + std::to_string(parameters.WaitMSec / 1000);
  json += ", \"readPercent\": " + JsonNumber(parameters.ReadPercent);
  json += ", \"block\": " + JsonString(std::string(BlockItems[choices.OneMegabyteBlocks ? 1 : 0]));
  json += ", \"readOnly\": " + Bool(choices.ReadOnly);
  json += ", \"random\": " + Bool(choices.ReadRandom);
  json += ", \"delete\": " + Bool(choices.DeleteFiles);
  json += ", \"verify\": " + Bool(choices.Verify);
  json +=
      ", \"priority\": " +
      (options.PriorityIndex >= 0
           ? JsonString(std::string(PriorityItems[static_cast<std::size_t>(options.PriorityIndex)]))
           : std::string("null"));
  json += "},\n";
  json += "  \"fileSizeBytes\": " + std::to_string(parameters.FileSize) + ",\n";
  json += "  \"fileCount\": " + std::to_string(parameters.FileCount) + ",\n";
  json += "  \"readCount\": " + std::to_string(run.ReadCount()) + ",\n";
  json += "  \"directIo\": " + Bool(run.UsedDirectIo()) + ",\n";
  json += "  \"io\": " + JsonString(record.IoMode) + ",\n";
  json += "  \"device\": " + DeviceJson(record.Device) + ",\n";
  json += "  \"counters\": " + CountingJson(record.Counting) + ",\n";
  json += "  \"repetitions\": [";
  for (int i = 1; i <= table.WriteHalves(); ++i) {
    json += i == 1 ? "\n    " : ",\n    ";
    json += "{\"repetition\": " + std::to_string(i);
    json += ", \"write\": " + (choices.ReadOnly ? std::string("null")
                                                : Phase(table.WriteSeconds(i), writeBytes,
                                                        Repetition(record, i).Write));
    json += ", \"read\": " +
            (i <= table.ReadHalves()
                 ? Phase(table.ReadSeconds(i), run.ReadBytes(i), Repetition(record, i).Read)
                 : std::string("null"));
    json += "}";
  }
  json += table.WriteHalves() > 0 ? "\n  ],\n" : "],\n";

  const bool completed = outcome.Result == RunOutcome::Kind::Completed;
  json += "  \"summary\": ";
  if (completed) {
    std::vector<double> writes, reads;
    for (int i = 1; i <= run.Repetitions(); ++i) {
      writes.push_back(table.WriteSeconds(i));
      reads.push_back(table.ReadSeconds(i));
    }
    json += "{\"write\": " +
            (choices.ReadOnly
                 ? std::string("null")
                 : Summary(ResultTable::Summarize(writes.data(), run.Repetitions(), writeBytes),
                           writeBytes));
    json += ", \"read\": " +
            Summary(ResultTable::Summarize(reads.data(), run.Repetitions(), readBytes), readBytes) +
            "}";
  } else {
    json += "null";
  }
  json += ",\n  \"fill\": " + FillJson(record.Fill);
  json += ",\n  \"report\": ";
  if (options.Report.empty()) {
    json += "null";
  } else {
    json += "{\"file\": " + JsonString(options.Report) + ", \"written\": " + Bool(report.Written) +
            ", \"message\": " + JsonString(report.Message) + "}";
  }
  // The run's own stop comes first; a lost report fails a completed run.
  const bool stopped = outcome.Result == RunOutcome::Kind::Stopped;
  const bool reportLost = completed && !options.Report.empty() && !report.Written;
  json += ",\n  \"outcome\": {\"result\": " +
          JsonString(reportLost ? "stopped" : ResultName(outcome.Result));
  json +=
      ", \"box\": " + JsonString(stopped ? (outcome.Box == MessageKind::Error ? "error" : "plain")
                                 : reportLost ? "plain"
                                              : "");
  json += ", \"message\": " + JsonString(stopped      ? outcome.Message
                                         : reportLost ? report.Message
                                                      : std::string());
  json += "}\n}\n";
  return json;
}

}  // namespace tarnwell::cli
