// The run record's JSON: the history line and its reading back.
#include "engine/output/RecordJson.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/base/Json.h"
#include "engine/judge/ShortPhases.h"
#include "engine/judge/Verdict.h"
#include "engine/judge/VerifyNotes.h"
#include "engine/judge/WriteCliff.h"
#include "engine/run/WholeDriveCheck.h"

namespace tarnwell {
namespace {

// Takes the numbers of a history line, noting any that no run writes: a
// fraction where a count belongs, a count beyond its type, a negative time,
// or a figure so large (1e308) that the report's scales would overflow.
// Such a line is damaged rather than believed.
class Numbers {
public:
  // Far beyond any disk, far within a double's range.
  static constexpr double LargestFigure = 1e12;

  template <class Integer>
  Integer Count(const JsonValue& object, std::string_view key, Integer otherwise) {
    const JsonValue* value = object.Find(key);
    if (value == nullptr || value->Type != JsonValue::Kind::Number) return otherwise;
    const double x = value->Number;
    // 2^62 bounds the 64-bit counts (bytes) with room to spare.
    const double largest =
        std::min(static_cast<double>(std::numeric_limits<Integer>::max()), 4611686018427387904.0);
    if (!(x >= -largest && x <= largest) || x != std::floor(x)) {
      Sound = false;
      return otherwise;
    }
    return static_cast<Integer>(x);
  }

  // A time, a throughput or a latency; `lowest` is -1 where that means "none".
  double Figure(const JsonValue& object, std::string_view key, double otherwise,
                double lowest = 0) {
    const JsonValue* value = object.Find(key);
    if (value == nullptr || value->Type != JsonValue::Kind::Number) return otherwise;
    if (!(value->Number >= lowest && value->Number <= LargestFigure)) {
      Sound = false;
      return otherwise;
    }
    return value->Number;
  }

  bool Sound = true;
};

std::string Field(const char* name, const std::string& json, bool first = false) {
  return std::string(first ? "" : ", ") + "\"" + name + "\": " + json;
}

std::string Bool(bool value) { return value ? "true" : "false"; }

std::string PhaseJson(const std::optional<PhaseRecord>& phase, bool withTimeline) {
  if (!phase) return "null";
  return "{" + Field("seconds", JsonNumber(phase->Seconds), true) +
         Field("mbPerSecond", JsonNumber(phase->MBPerSecond)) + ExactJson(*phase) +
         WriteCliffJson(phase->Cliff) + Field("latency", StatsJson(phase->Stats, withTimeline)) +
         Field("verdict", VerdictJson(phase->Verdict)) +
         (phase->Verification ? Field("verify", VerificationJson(*phase->Verification)) : "") + "}";
}

std::optional<PhaseRecord> ReadPhase(const JsonValue* value, Numbers& numbers) {
  if (value == nullptr || value->Type != JsonValue::Kind::Object) return std::nullopt;
  PhaseRecord phase;
  phase.Seconds = numbers.Figure(*value, "seconds", 0);
  phase.MBPerSecond = numbers.Figure(*value, "mbPerSecond", 0);
  if (!ReadExact(*value, phase) || !ReadWriteCliff(*value, phase.Cliff)) numbers.Sound = false;
  if (const JsonValue* latency = value->Find("latency")) {
    phase.Stats.Files = numbers.Count<std::int32_t>(*latency, "files", 0);
    phase.Stats.P50 = numbers.Figure(*latency, "p50", 0);
    phase.Stats.P90 = numbers.Figure(*latency, "p90", 0);
    phase.Stats.P99 = numbers.Figure(*latency, "p99", 0);
    phase.Stats.P999 = numbers.Figure(*latency, "p99.9", 0);
    phase.Stats.Max = numbers.Figure(*latency, "max", 0);
  }
  if (const JsonValue* verify = value->Find("verify")) {
    phase.Verification = ReadVerification(*verify);
    if (!phase.Verification) numbers.Sound = false;
  }
  if (!ReadVerdict(value->Find("verdict"), phase.Verdict)) numbers.Sound = false;
  return phase;
}

}  // namespace

std::string DeviceJson(const platform::DeviceIdentity& device) {
  return "{" + Field("folder", JsonString(device.Folder), true) +
         Field("fileSystem", JsonString(device.FileSystemType)) +
         Field("mountSource", JsonString(device.MountSource)) +
         Field("mountPoint", JsonString(device.MountPoint)) +
         Field("device", JsonString(device.DeviceName)) + Field("model", JsonString(device.Model)) +
         Field("rotational", device.Rotational < 0 ? "null" : Bool(device.Rotational == 1)) +
         Field("logicalSectorBytes", std::to_string(device.LogicalSectorBytes)) +
         Field("physicalSectorBytes", std::to_string(device.PhysicalSectorBytes)) +
         Field("freeBytes", std::to_string(device.FreeBytes)) + "}";
}

std::string StatsJson(const PhaseStats& stats, bool withTimeline) {
  std::string json = "{" + Field("files", std::to_string(stats.Files), true) +
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
      Field("bucketsPerOctave", std::to_string(PhaseRecorder::BucketsPerOctave)) +
      Field("octaves", std::to_string(PhaseRecorder::Octaves)) +
      Field("zeroes", std::to_string(histogram.Zeroes)) + Field("min", JsonNumber(histogram.Min)) +
      Field("max", JsonNumber(histogram.Max)) + ", \"counts\": [";
  for (std::size_t i = 0; i < histogram.Counts.size(); ++i) {
    json += (i == 0 ? "[" : ", [") + std::to_string(histogram.Counts[i].first) + ", " +
            std::to_string(histogram.Counts[i].second) + "]";
  }
  return json + "]}";
}

// What checking the data read back found, as the history says it: "off"
// (no check), "unchecked" (nothing was read back), "passed" or "failed".
std::string VerificationState(const RunRecord& r) {
  if (!r.Verified) return "off";
  const VerifyResult found = RunVerification(r);
  if (!found.Clean()) return "failed";
  return found.Counts.Total() == 0 ? "unchecked" : "passed";
}

std::string HistoryLine(const RunRecord& r) {
  // "verified" means "passed" to every reader, older ones included, and a
  // run whose data failed is no plain completed one.
  const std::string verification = VerificationState(r);
  const std::string result =
      r.Result == "completed" && verification == "failed" ? "unverified" : r.Result;
  std::string json =
      "{" + Field("date", JsonString(r.Date), true) + Field("host", JsonString(r.Host)) +
      Field("system", JsonString(r.System)) + Field("folder", JsonString(r.Folder)) +
      Field("fileSize", JsonString(r.FileSize)) + Field("total", JsonString(r.Total)) +
      Field("block", JsonString(r.Block)) + Field("readPercent", JsonString(r.ReadPercent)) +
      Field("repeat", std::to_string(r.Repeat)) +
      Field("waitSeconds", std::to_string(r.WaitSeconds)) + Field("readOnly", Bool(r.ReadOnly)) +
      Field("random", Bool(r.Random)) + Field("delete", Bool(r.Delete)) +
      Field("fileSizeBytes", std::to_string(r.FileSizeBytes)) +
      Field("fileCount", std::to_string(r.FileCount)) +
      Field("readCount", std::to_string(r.ReadCount)) + Field("device", DeviceJson(r.Device)) +
      Field("counters", CountingJson(r.Counting)) + Field("io", JsonString(r.IoMode)) +
      Field("table", JsonString(r.Table)) + Field("verified", Bool(verification == "passed")) +
      Field("verification", JsonString(verification)) + ", \"repetitions\": [";
  for (std::size_t i = 0; i < r.Repetitions.size(); ++i) {
    const RepetitionRecord& repetition = r.Repetitions[i];
    json += (i == 0 ? "{" : ", {") + Field("repetition", std::to_string(repetition.Number), true) +
            Field("write", PhaseJson(repetition.Write, false)) +
            Field("read", PhaseJson(repetition.Read, false)) + "}";
  }
  json += "]" + Field("meanWriteMBps", JsonNumber(r.MeanWriteMBps)) +
          Field("meanReadMBps", JsonNumber(r.MeanReadMBps)) + Field("result", JsonString(result)) +
          Field("message", JsonString(r.Message)) + Field("fill", FillJson(r.Fill)) + "}";
  return json;
}

std::optional<RunRecord> ParseHistoryLine(std::string_view line, HistoryDetail detail) {
  static const std::vector<std::string_view> RowKeys = {
      "date",   "folder",        "fileSize",     "total",  "block",
      "device", "meanWriteMBps", "meanReadMBps", "result", "message"};
  const std::optional<JsonValue> json =
      detail == HistoryDetail::Row ? ParseJson(line, RowKeys) : ParseJson(line);
  if (!json || json->Type != JsonValue::Kind::Object || json->TextAt("date").empty()) {
    return std::nullopt;
  }
  const JsonValue& j = *json;
  Numbers numbers;
  RunRecord r;
  r.Date = j.TextAt("date");
  r.Host = j.TextAt("host");
  r.System = j.TextAt("system");
  r.Folder = j.TextAt("folder");
  r.FileSize = j.TextAt("fileSize");
  r.Total = j.TextAt("total");
  r.Block = j.TextAt("block");
  r.ReadPercent = j.TextAt("readPercent");
  r.Repeat = numbers.Count<std::int32_t>(j, "repeat", 0);
  r.WaitSeconds = numbers.Count<std::int32_t>(j, "waitSeconds", 0);
  r.ReadOnly = j.BoolAt("readOnly");
  r.Random = j.BoolAt("random");
  r.Delete = j.BoolAt("delete");
  r.FileSizeBytes = numbers.Count<std::int64_t>(j, "fileSizeBytes", 0);
  r.FileCount = numbers.Count<std::int32_t>(j, "fileCount", 0);
  r.ReadCount = numbers.Count<std::int32_t>(j, "readCount", 0);
  if (const JsonValue* device = j.Find("device")) {
    r.Device.Folder = device->TextAt("folder");
    r.Device.FileSystemType = device->TextAt("fileSystem");
    r.Device.MountSource = device->TextAt("mountSource");
    r.Device.MountPoint = device->TextAt("mountPoint");
    r.Device.DeviceName = device->TextAt("device");
    r.Device.Model = device->TextAt("model");
    const JsonValue* rotational = device->Find("rotational");
    if (rotational != nullptr && rotational->Type == JsonValue::Kind::Bool) {
      r.Device.Rotational = rotational->Boolean ? 1 : 0;
    }
    r.Device.LogicalSectorBytes = numbers.Count<std::int64_t>(*device, "logicalSectorBytes", 0);
    r.Device.PhysicalSectorBytes = numbers.Count<std::int64_t>(*device, "physicalSectorBytes", 0);
    r.Device.FreeBytes = numbers.Count<std::int64_t>(*device, "freeBytes", -1);
  }
  if (detail == HistoryDetail::Row) {
    r.MeanWriteMBps = numbers.Figure(j, "meanWriteMBps", -1, -1);
    r.MeanReadMBps = numbers.Figure(j, "meanReadMBps", -1, -1);
    r.Result = j.TextAt("result");
    r.Message = j.TextAt("message");
    if (!numbers.Sound) return std::nullopt;
    return r;
  }
  if (!ReadCounting(j.Find("counters"), r.Counting)) numbers.Sound = false;
  r.IoMode = j.TextAt("io");
  r.Table = j.TextAt("table");
  // Older lines have "verified" alone, meaning that the data was checked.
  if (const JsonValue* verification = j.Find("verification")) {
    const std::string state =
        verification->Type == JsonValue::Kind::String ? verification->Text : "";
    if (state != "off" && state != "unchecked" && state != "passed" && state != "failed") {
      return std::nullopt;
    }
    r.Verified = state != "off";
  } else {
    r.Verified = j.BoolAt("verified");
  }
  if (const JsonValue* repetitions = j.Find("repetitions")) {
    for (const JsonValue& item : repetitions->Items) {
      RepetitionRecord repetition;
      repetition.Number = numbers.Count<std::int32_t>(item, "repetition", 0);
      repetition.Write = ReadPhase(item.Find("write"), numbers);
      repetition.Read = ReadPhase(item.Find("read"), numbers);
      r.Repetitions.push_back(std::move(repetition));
    }
  }
  r.MeanWriteMBps = numbers.Figure(j, "meanWriteMBps", -1, -1);
  r.MeanReadMBps = numbers.Figure(j, "meanReadMBps", -1, -1);
  r.Result = j.TextAt("result");
  r.Message = j.TextAt("message");
  if (!ReadFillJson(j.Find("fill"), r.Fill)) return std::nullopt;
  if (!numbers.Sound) return std::nullopt;
  return r;
}

}  // namespace tarnwell
