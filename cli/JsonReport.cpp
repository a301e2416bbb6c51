#include "cli/JsonReport.h"

#include <charconv>
#include <cstdio>

namespace tarnwell::cli {
namespace {

std::string Number(double value) {
  char digits[64];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string Phase(double seconds, std::int64_t bytes) {
  return "{\"seconds\": " + Number(seconds) +
         ", \"mbps\": " + Number(ResultTable::Mbps(bytes, seconds)) +
         ", \"mbPerSecond\": " + Number(ResultTable::MBPerSecond(bytes, seconds)) + "}";
}

std::string Summary(const ResultTable::PhaseSummary& summary, std::int64_t bytes) {
  return "{\"bytes\": " + std::to_string(bytes) +
         ", \"meanSeconds\": " + Number(summary.MeanSeconds) +
         ", \"variance\": " + Number(summary.Variance) + ", \"mbps\": " + Number(summary.Mbps) +
         ", \"mbPerSecond\": " + Number(summary.MBPerSecond) + "}";
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

namespace {

// Length of the well-formed UTF-8 sequence at `at`, or 0 when the byte there
// does not start one (overlong forms, surrogates and code points above
// U+10FFFF included).
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(at);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the allowed range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (at + length > text.size()) return 0;
  if (byte(at + 1) < low || byte(at + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(at + i) < 0x80 || byte(at + i) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (std::size_t i = 0; i < text.size();) {
    const char c = text[i];
    const auto byte = static_cast<unsigned char>(c);
    const std::size_t length = Utf8SequenceLength(text, i);
    char escaped[8];
    if (length == 0) {
      // A byte that is not UTF-8 (a file name in another encoding) becomes
      // the lone surrogate U+DC00 + byte, as Python's "surrogateescape" does,
      // so the document stays UTF-8 and the bytes can be recovered.
      std::snprintf(escaped, sizeof escaped, "\\udc%02x", byte);
      quoted += escaped;
      ++i;
      continue;
    }
    if (length > 1) {
      quoted.append(text, i, length);
      i += length;
      continue;
    }
    ++i;
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          quoted += escaped;
        } else {
          quoted += c;
        }
    }
  }
  return quoted + "\"";
}

std::string JsonReport(const CliOptions& options, const BenchmarkRun& run,
                       const RunOutcome& outcome) {
  const RunChoices& choices = options.Choices;
  const RunParameters& parameters = run.Parameters();
  const ResultTable& table = run.Table();
  const std::int64_t writeBytes =
      static_cast<std::int64_t>(parameters.FileSize) * parameters.FileCount;
  const std::int64_t readBytes = static_cast<std::int64_t>(parameters.FileSize) * run.ReadCount();

  std::string json = "{\n  \"choices\": {";
  json += "\"folder\": " + JsonString(choices.Folder);
  json += ", \"fileSize\": " +
          JsonString(std::string(FileSizeItems[static_cast<std::size_t>(choices.FileSizeIndex)]));
  json += ", \"total\": " +
          JsonString(std::string(TotalSizeItems[static_cast<std::size_t>(choices.TotalSizeIndex)]));
  json +=
      ", \"repeat\": " + std::string(RepeatItems[static_cast<std::size_t>(choices.RepeatIndex)]);
  json += ", \"waitSeconds\": " + std::to_string(parameters.WaitMSec / 1000);
  json += ", \"readPercent\": " +
          std::string(ReadPercentageItems[static_cast<std::size_t>(choices.ReadPercentageIndex)]);
  json += ", \"block\": " + JsonString(choices.OneMegabyteBlocks ? "1MB" : "1KB");
  json += ", \"readOnly\": " + Bool(choices.ReadOnly);
  json += ", \"random\": " + Bool(choices.ReadRandom);
  json += ", \"delete\": " + Bool(choices.DeleteFiles);
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
  json += "  \"repetitions\": [";
  for (int i = 1; i <= table.WriteHalves(); ++i) {
    json += i == 1 ? "\n    " : ",\n    ";
    json += "{\"repetition\": " + std::to_string(i);
    json += ", \"write\": " +
            (choices.ReadOnly ? std::string("null") : Phase(table.WriteSeconds(i), writeBytes));
    json += ", \"read\": " + (i <= table.ReadHalves() ? Phase(table.ReadSeconds(i), readBytes)
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
  json += ",\n  \"outcome\": {\"result\": " + JsonString(ResultName(outcome.Result));
  if (outcome.Result == RunOutcome::Kind::Stopped) {
    json += ", \"box\": " + JsonString(outcome.Box == MessageKind::Error ? "error" : "plain");
    json += ", \"message\": " + JsonString(outcome.Message);
  }
  json += "}\n}\n";
  return json;
}

}  // namespace tarnwell::cli
