// Merging many hosts' run documents: the checks and the arithmetic.
#include "engine/fleet/MergedRuns.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "engine/base/TextFormat.h"
#include "engine/base/Utf8.h"
#include "engine/model/RunParameters.h"
#include "engine/model/VerifyRecord.h"
#include "engine/output/RunDocument.h"

namespace tarnwell {
namespace {

constexpr double BytesPerMB = 1048576.0;
// Choices that may differ from host to host: where each one measured, and
// how its scheduler treated it.
constexpr const char* HostOwnChoices[] = {"folder", "priority"};
// The documents' times are whole milliseconds: a phase's start is its end
// less its recorded seconds, each rounded once.
constexpr double TimeSlack = 0.0025;
// Far beyond any run, far within a double's range.
constexpr double LargestSeconds = 1e9;
// A timeline's shares add up to the phase's bytes but for rounding.
constexpr double TimelineByteSlack = 1.001;

// "xxxxxxxx-xxxx-4xxx-Yxxx-xxxxxxxxxxxx" in lowercase, Y one of 8, 9, a, b:
// what the runner writes, so that two spellings of one run never pass as two.
bool IsRunId(const std::string& id) {
  if (id.size() != 36) return false;
  for (std::size_t i = 0; i < id.size(); ++i) {
    const char c = id[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != '-') return false;
    } else if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
      return false;
    }
  }
  return id[14] == '4' && (id[19] == '8' || id[19] == '9' || id[19] == 'a' || id[19] == 'b');
}

std::string Lower(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

VerdictKind ReadVerdictKind(const JsonValue& phase) {
  const JsonValue* verdict = phase.Find("verdict");
  if (verdict == nullptr || verdict->Type != JsonValue::Kind::Object) return VerdictKind::None;
  const std::string kind = verdict->TextAt("verdict");
  if (kind == "device") return VerdictKind::Device;
  if (kind == "mixed") return VerdictKind::Mixed;
  if (kind == "cache") return VerdictKind::Cache;
  if (kind == "unknown") return VerdictKind::Unknown;
  return VerdictKind::None;
}

// Some phase of the host measured a cache, wholly or in part.
bool MeasuredCache(const MergedHost& host) {
  for (const auto* verdicts : {&host.WriteVerdicts, &host.ReadVerdicts}) {
    for (const VerdictKind kind : *verdicts) {
      if (kind == VerdictKind::Cache || kind == VerdictKind::Mixed) return true;
    }
  }
  return false;
}

bool FailedVerification(const MergedHost& host) { return host.Verified && host.SectorsBad > 0; }

// What one phase of a document must hold: its files, and whether it is a
// verified run's read.
struct PhaseShape {
  std::int64_t Files = 0;
  std::int64_t FileBytes = 0;
  bool Verified = false;
};

// Adds a phase's histogram ("latency"."histogram") to `into`; a phase of
// `files` files cannot have timed more.
void AddHistogram(const JsonValue& phase, std::int64_t files, DocumentReader& reader,
                  std::optional<MergedLatency>& into) {
  const JsonValue* latency = phase.Find("latency");
  if (latency == nullptr || latency->Type != JsonValue::Kind::Object) return;
  const JsonValue* histogram = latency->Find("histogram");
  if (histogram == nullptr || histogram->Type == JsonValue::Kind::Null) return;
  if (histogram->Type != JsonValue::Kind::Object) return reader.Fail("\"histogram\"");
  // Buckets of another shape cannot be added to ours.
  const double smallest = reader.Figure(*histogram, "smallestSeconds", 0, 1);
  const double perOctave = reader.Figure(*histogram, "bucketsPerOctave", 0, 1e6);
  const double octaves = reader.Figure(*histogram, "octaves", 0, 1e6);
  if (reader.Failed()) return;
  if (smallest != PhaseRecorder::SmallestSeconds || perOctave != PhaseRecorder::BucketsPerOctave ||
      octaves != PhaseRecorder::Octaves) {
    return reader.Fail("\"histogram\"");
  }
  constexpr double buckets = PhaseRecorder::BucketsPerOctave * PhaseRecorder::Octaves;
  LatencyHistogram read;
  const JsonValue* zeroes = reader.Member(*histogram, "zeroes", JsonValue::Kind::Number);
  const JsonValue* counts = reader.Member(*histogram, "counts", JsonValue::Kind::Array);
  read.Max = reader.Figure(*histogram, "max", 0, 1e12);
  // The fastest file bounds the low percentiles as it did in the run.
  if (histogram->Find("min") != nullptr) read.Min = reader.Figure(*histogram, "min", 0, read.Max);
  if (reader.Failed()) return;
  read.Zeroes = static_cast<std::int64_t>(reader.Count(*zeroes, "\"zeroes\""));
  double timed = static_cast<double>(read.Zeroes);
  for (const JsonValue& pair : counts->Items) {
    if (pair.Type != JsonValue::Kind::Array || pair.Items.size() != 2) {
      return reader.Fail("\"counts\"");
    }
    const double index = reader.Count(pair.Items[0], "\"counts\"");
    const double count = reader.Count(pair.Items[1], "\"counts\"");
    // Ascending and each bucket once, as the runner writes them.
    if (reader.Failed() || index >= buckets ||
        (!read.Counts.empty() && index <= read.Counts.back().first)) {
      return reader.Fail("\"counts\"");
    }
    timed += count;
    if (count > 0) {
      read.Counts.emplace_back(static_cast<std::int32_t>(index), static_cast<std::int64_t>(count));
    }
  }
  if (timed > static_cast<double>(files)) {
    return reader.Fail(FormatText(MergeTexts::TooManyFiles, static_cast<long long>(timed),
                                  static_cast<long long>(files)));
  }
  MergeHistogram(into ? into->Histogram : into.emplace().Histogram, read);
}

std::optional<HostPhase> ReadPhase(const JsonValue* phase, const PhaseShape& shape,
                                   DocumentReader& reader, MergedHost& host,
                                   std::optional<MergedLatency>& latency) {
  if (phase == nullptr || phase->Type != JsonValue::Kind::Object) return std::nullopt;
  HostPhase result;
  result.Start = reader.Time(*phase, "startUtc");
  result.End = reader.Time(*phase, "endUtc");
  result.MBPerSecond = reader.Figure(*phase, "mbPerSecond", 0, 1e12);
  if (!reader.Failed() && result.End < result.Start) reader.Fail("\"endUtc\"");
  const double seconds = reader.Figure(*phase, "seconds", 0, LargestSeconds);
  if (reader.Failed()) return result;
  const double span = result.End - result.Start;
  if (std::abs(span - seconds) > TimeSlack) reader.Fail(MergeTexts::SecondsMismatch);
  if (const JsonValue* stats = phase->Find("latency");
      stats != nullptr && stats->Type == JsonValue::Kind::Object) {
    if (const JsonValue* timeline = stats->Find("timeline");
        timeline != nullptr && timeline->Type == JsonValue::Kind::Array) {
      // More shares than the runner keeps would let a few of them claim
      // the phase's bytes at any rate.
      if (timeline->Items.size() > static_cast<std::size_t>(PhaseRecorder::MaxSlices)) {
        reader.Fail(FormatText(MergeTexts::TimelineTooLong, PhaseRecorder::MaxSlices,
                               timeline->Items.size()));
        return result;
      }
      double previous = 0;
      double timelineBytes = 0;
      for (const JsonValue& share : timeline->Items) {
        if (share.Type != JsonValue::Kind::Object) {
          reader.Fail("\"timeline\"");
          break;
        }
        const double end = reader.Figure(share, "offsetSeconds", previous, 1e9);
        if (end > span + TimeSlack) {
          reader.Fail(MergeTexts::TimelineBeyondPhase);
          break;
        }
        result.ShareEnds.push_back(end);
        result.ShareMBps.push_back(reader.Figure(share, "mbPerSecond", 0, 1e12));
        timelineBytes += result.ShareMBps.back() * BytesPerMB * (end - previous);
        previous = end;
      }
      // The shares move the phase's bytes, never more: no few of them can
      // claim a rate the phase did not have.
      if (timelineBytes > TimelineByteSlack * static_cast<double>(shape.Files) *
                              static_cast<double>(shape.FileBytes)) {
        reader.Fail(MergeTexts::TimelineTooManyBytes);
      }
    }
  }
  AddHistogram(*phase, shape.Files, reader, latency);
  // A verified run checked every read; no other run checks any.
  const JsonValue* verify = phase->Find("verify");
  if (shape.Verified != (verify != nullptr)) {
    reader.Fail(MergeTexts::BadVerify);
  } else if (verify != nullptr) {
    const std::optional<PhaseVerification> found = ReadVerification(*verify);
    // No more sectors than the phase's files hold (a part-sector counts
    // as one), which also keeps the sums far from overflowing.
    double sectors = 0;
    if (found) {
      for (const std::int64_t count : found->Result.Counts.Sectors) sectors += count;
    }
    const double most = static_cast<double>(shape.Files) *
                        std::ceil(static_cast<double>(shape.FileBytes) / SectorBytes);
    if (!found || sectors > most) {
      reader.Fail(MergeTexts::BadVerify);
    } else {
      host.SectorsChecked += found->Result.Counts.Total();
      host.SectorsBad += found->Result.Counts.Bad();
    }
  }
  return result;
}

// A choice's value as the user would type it, for saying what differs.
std::string ShownValue(const JsonValue* value) {
  if (value == nullptr) return "(なし)";
  switch (value->Type) {
    case JsonValue::Kind::Null:
      return "null";
    case JsonValue::Kind::Bool:
      return value->Boolean ? "true" : "false";
    case JsonValue::Kind::Number: {
      char text[32];
      std::snprintf(text, sizeof text, "%.15g", value->Number);
      return text;
    }
    case JsonValue::Kind::String:
      return JsonString(value->Text);
    default:
      return "...";
  }
}

bool SameValue(const JsonValue* a, const JsonValue* b) {
  if (a == nullptr || b == nullptr) return a == b;
  if (a->Type != b->Type) return false;
  switch (a->Type) {
    case JsonValue::Kind::Null:
      return true;
    case JsonValue::Kind::Bool:
      return a->Boolean == b->Boolean;
    case JsonValue::Kind::Number:
      return a->Number == b->Number;
    case JsonValue::Kind::String:
      return a->Text == b->Text;
    case JsonValue::Kind::Array:
      if (a->Items.size() != b->Items.size()) return false;
      for (std::size_t i = 0; i < a->Items.size(); ++i) {
        if (!SameValue(&a->Items[i], &b->Items[i])) return false;
      }
      return true;
    case JsonValue::Kind::Object:
      if (a->Members.size() != b->Members.size()) return false;
      for (const auto& [key, value] : a->Members) {
        if (!SameValue(&value, b->Find(key))) return false;
      }
      return true;
  }
  return false;
}

bool HostOwn(const std::string& key) {
  return std::any_of(std::begin(HostOwnChoices), std::end(HostOwnChoices),
                     [&](const char* own) { return key == own; });
}

// The choices every host shares, without those that may differ.
JsonValue CommonChoices(const JsonValue& choices) {
  JsonValue common;
  common.Type = JsonValue::Kind::Object;
  for (const auto& member : choices.Members) {
    if (!HostOwn(member.Name)) common.Members.push_back(member);
  }
  return common;
}

// "fileSize (a.json: "1MB", b.json: "10MB")" for each choice that differs.
std::string Differences(const JsonValue& first, const std::string& firstName,
                        const JsonValue& other, const std::string& otherName) {
  std::vector<std::string> keys;
  for (const JsonValue* side : {&first, &other}) {
    for (const auto& member : side->Members) {
      if (std::find(keys.begin(), keys.end(), member.Name) == keys.end()) {
        keys.push_back(member.Name);
      }
    }
  }
  std::string text;
  for (const std::string& key : keys) {
    if (SameValue(first.Find(key), other.Find(key))) continue;
    text += (text.empty() ? "" : ", ") + key + " (" + firstName + ": " +
            ShownValue(first.Find(key)) + ", " + otherName + ": " + ShownValue(other.Find(key)) +
            ")";
  }
  return text;
}

// Bytes a host's phase moved between `from` and `to` (UTC seconds): by its
// share timeline where it has one, else at its mean rate.
double BytesWithin(const HostPhase& phase, double from, double to) {
  if (phase.ShareEnds.empty()) {
    return phase.MBPerSecond * BytesPerMB * std::max(0.0, to - from);
  }
  double bytes = 0;
  double shareStart = phase.Start;
  for (std::size_t k = 0; k < phase.ShareEnds.size(); ++k) {
    const double shareEnd = phase.Start + phase.ShareEnds[k];
    const double within = std::min(shareEnd, to) - std::max(shareStart, from);
    if (within > 0) bytes += phase.ShareMBps[k] * BytesPerMB * within;
    shareStart = shareEnd;
  }
  return bytes;
}

// `doubt`: how far two hosts' clocks may disagree after their offsets.
PhaseOverlap Overlap(const std::vector<MergedHost>& hosts, int repetition, bool write,
                     double doubt) {
  PhaseOverlap overlap;
  overlap.Repetition = repetition;
  overlap.Write = write;
  std::vector<const HostPhase*> phases;
  for (const MergedHost& host : hosts) {
    const auto& list = write ? host.Writes : host.Reads;
    const auto index = static_cast<std::size_t>(repetition - 1);
    if (index >= list.size() || !list[index]) return overlap;
    phases.push_back(&*list[index]);
  }
  overlap.EveryHost = true;
  overlap.TooShort = std::any_of(phases.begin(), phases.end(),
                                 [](const HostPhase* phase) { return phase->End <= phase->Start; });
  if (overlap.TooShort) return overlap;
  overlap.Start = -std::numeric_limits<double>::infinity();
  overlap.End = std::numeric_limits<double>::infinity();
  for (const HostPhase* phase : phases) {
    overlap.Start = std::max(overlap.Start, phase->Start);
    overlap.End = std::min(overlap.End, phase->End);
  }
  // Phases that only touch share no time in which to sum anything.
  overlap.Overlapped = overlap.End > overlap.Start;
  // Each end of the interval, or the gap, may be off by the clocks' doubt.
  overlap.ClockDoubt =
      hosts.size() > 1 && doubt > TrustedDoubtShare * std::abs(overlap.End - overlap.Start);
  if (!overlap.Overlapped) return overlap;
  const double seconds = overlap.End - overlap.Start;
  for (const HostPhase* phase : phases) {
    const double mbps = BytesWithin(*phase, overlap.Start, overlap.End) / BytesPerMB / seconds;
    overlap.HostMBps.push_back(mbps);
    overlap.SumMBps += mbps;
    overlap.Shares.push_back(seconds / (phase->End - phase->Start));
  }
  return overlap;
}

void FinishLatency(std::optional<MergedLatency>& latency) {
  if (!latency) return;
  latency->Files = HistogramFiles(latency->Histogram);
  if (latency->Files == 0) {
    latency.reset();
    return;
  }
  latency->P50 = HistogramPercentile(latency->Histogram, 0.50);
  latency->P90 = HistogramPercentile(latency->Histogram, 0.90);
  latency->P99 = HistogramPercentile(latency->Histogram, 0.99);
  latency->P999 = HistogramPercentile(latency->Histogram, 0.999);
}

}  // namespace

bool AddRun(MergedRuns& merged, const std::string& name, std::string_view text) {
  if (!merged.Error.empty()) return false;
  const auto refuse = [&](const std::string& error) {
    merged.Error = error;
    return false;
  };
  const std::optional<JsonValue> parsed = ParseJson(text);
  if (!parsed || parsed->Type != JsonValue::Kind::Object) return refuse(name + MergeTexts::NotJson);
  const JsonValue& json = *parsed;
  const JsonValue* schema = json.Find("schema");
  if (schema == nullptr || schema->Type != JsonValue::Kind::String ||
      schema->Text != MergeTexts::RunSchema) {
    return refuse(name + MergeTexts::WrongSchema);
  }
  DocumentReader reader(name + MergeTexts::Malformed, MergeTexts::CountOutOfRange);
  MergedHost host;
  host.File = name;
  if (const JsonValue* value = reader.Member(json, "host", JsonValue::Kind::String)) {
    host.Host = value->Text;
  }
  if (const JsonValue* value = reader.Member(json, "runId", JsonValue::Kind::String)) {
    host.RunId = value->Text;
    if (!IsRunId(host.RunId)) reader.Fail(MergeTexts::NotUuid);
  }
  if (const JsonValue* value = reader.Member(json, "label", JsonValue::Kind::String, true)) {
    host.Label = value->Text;
  }
  // Absent in documents from before offsets were measured: unknown.
  if (const JsonValue* offset = json.Find("clockOffsetSeconds");
      offset != nullptr && offset->Type != JsonValue::Kind::Null) {
    if (offset->Type != JsonValue::Kind::Number ||
        !(std::abs(offset->Number) <= LargestClockOffset)) {
      reader.Fail(MergeTexts::BadClockOffset);
    } else {
      host.ClockOffset = offset->Number;
    }
  }
  // Documents from before the verdict carry no counters.
  if (const JsonValue* counters = json.Find("counters");
      counters != nullptr && counters->Type == JsonValue::Kind::Object) {
    host.CountersReason = counters->TextAt("reason");
  }
  const JsonValue* choices = reader.Member(json, "choices", JsonValue::Kind::Object);
  const JsonValue* outcome = reader.Member(json, "outcome", JsonValue::Kind::Object);
  const JsonValue* repetitions = reader.Member(json, "repetitions", JsonValue::Kind::Array);
  if (reader.Failed()) return refuse(reader.Fault().Message);
  if (const std::string result = outcome->TextAt("result"); result != "completed") {
    return refuse(name + MergeTexts::NotCompleted + (result.empty() ? "?" : result));
  }
  if (const auto earlier =
          std::find_if(merged.Hosts.begin(), merged.Hosts.end(),
                       [&](const MergedHost& h) { return Lower(h.RunId) == Lower(host.RunId); });
      earlier != merged.Hosts.end()) {
    return refuse(earlier->File + " と " + name + MergeTexts::SameRun + host.RunId + ") です");
  }
  if (merged.Hosts.empty()) {
    merged.Choices = CommonChoices(*choices);
  } else if (const std::string differ =
                 Differences(merged.Choices, merged.Hosts[0].File, CommonChoices(*choices), name);
             !differ.empty()) {
    return refuse(MergeTexts::ChoicesDiffer + differ);
  }

  // The choices say what the run did: its file size and repetitions, and
  // which phases it had.
  const JsonValue* fileSize = reader.Member(*choices, "fileSize", JsonValue::Kind::String);
  const std::int64_t fileBytes = reader.Integer(json, "fileSizeBytes", 1, FileSizeTable.back());
  const std::int64_t fileCount = reader.Integer(json, "fileCount", 1, MaxFileCount);
  const std::int64_t readCount = reader.Integer(json, "readCount", 1, fileCount);
  const std::int64_t repeat = reader.Integer(*choices, "repeat", 1, 10);
  const JsonValue* readOnlyValue = reader.Member(*choices, "readOnly", JsonValue::Kind::Bool);
  if (reader.Failed()) return refuse(reader.Fault().Message);
  const auto item = std::find(FileSizeItems.begin(), FileSizeItems.end(), fileSize->Text);
  if (item == FileSizeItems.end() ||
      FileSizeTable[static_cast<std::size_t>(item - FileSizeItems.begin())] != fileBytes) {
    reader.Fail(MergeTexts::FileSizeMismatch);
  }
  if (std::find(RepeatTable.begin(), RepeatTable.end(), repeat) == RepeatTable.end()) {
    reader.Fail(MergeTexts::RepeatNotAChoice);
  }
  const bool readOnly = readOnlyValue->Boolean;
  // Documents from before verified runs carry no such choice.
  host.Verified = choices->BoolAt("verify");
  // A completed run recorded every repetition, numbered in order.
  if (!reader.Failed() && repetitions->Items.size() != static_cast<std::size_t>(repeat)) {
    reader.Fail(FormatText(MergeTexts::RepetitionCount, static_cast<int>(repeat),
                           static_cast<int>(repetitions->Items.size())));
  }

  // Read into copies, so that a document refused halfway adds nothing.
  std::optional<MergedLatency> writeLatency = merged.WriteLatency;
  std::optional<MergedLatency> readLatency = merged.ReadLatency;
  for (std::size_t r = 0; r < repetitions->Items.size() && !reader.Failed(); ++r) {
    const JsonValue& repetition = repetitions->Items[r];
    const int number = static_cast<int>(r + 1);
    if (repetition.Type != JsonValue::Kind::Object) {
      reader.Fail("\"repetitions\"");
      break;
    }
    const JsonValue* numbered = repetition.Find("repetition");
    if (numbered == nullptr || numbered->Type != JsonValue::Kind::Number ||
        numbered->Number != number) {
      reader.Fail(FormatText(MergeTexts::RepetitionNumber, number, ShownValue(numbered).c_str()));
      break;
    }
    const JsonValue* write = repetition.Find("write");
    const JsonValue* read = repetition.Find("read");
    const bool hasWrite = write != nullptr && write->Type == JsonValue::Kind::Object;
    const bool hasRead = read != nullptr && read->Type == JsonValue::Kind::Object;
    if (readOnly && hasWrite) {
      reader.Fail(FormatText(MergeTexts::PhaseUnexpected, number));
    } else if (!readOnly && !hasWrite) {
      reader.Fail(FormatText(MergeTexts::WriteMissing, number));
    } else if (!hasRead) {
      reader.Fail(FormatText(MergeTexts::ReadMissing, number));
    }
    if (reader.Failed()) break;
    host.Writes.push_back(
        ReadPhase(write, {fileCount, fileBytes, false}, reader, host, writeLatency));
    host.Reads.push_back(
        ReadPhase(read, {readCount, fileBytes, host.Verified}, reader, host, readLatency));
    host.WriteVerdicts.push_back(hasWrite ? ReadVerdictKind(*write) : VerdictKind::None);
    host.ReadVerdicts.push_back(ReadVerdictKind(*read));
  }
  // The summaries a completed run always has (no write one when it wrote
  // nothing).
  const JsonValue* summary = reader.Member(json, "summary", JsonValue::Kind::Object);
  for (const bool write : {true, false}) {
    if (summary == nullptr || reader.Failed()) break;
    if (write && readOnly) continue;
    if (const JsonValue* phase =
            reader.Member(*summary, write ? "write" : "read", JsonValue::Kind::Object)) {
      (write ? host.WriteMBps : host.ReadMBps) = reader.Figure(*phase, "mbPerSecond", 0, 1e12);
    }
  }
  if (reader.Failed()) return refuse(reader.Fault().Message);
  // On the control node's clock, where the host's offset is known.
  if (host.ClockOffset) {
    for (auto* list : {&host.Writes, &host.Reads}) {
      for (std::optional<HostPhase>& phase : *list) {
        if (!phase) continue;
        phase->Start -= *host.ClockOffset;
        phase->End -= *host.ClockOffset;
      }
    }
  }
  merged.WriteLatency = std::move(writeLatency);
  merged.ReadLatency = std::move(readLatency);
  merged.Hosts.push_back(std::move(host));
  return true;
}

void FinishMerge(MergedRuns& merged) {
  if (!merged.Error.empty()) return;
  if (merged.Hosts.empty()) {
    merged.Error = MergeTexts::NoDocuments;
    return;
  }
  std::size_t repetitions = 0;
  int knownOffsets = 0;
  for (const MergedHost& host : merged.Hosts) {
    repetitions = std::max({repetitions, host.Writes.size(), host.Reads.size()});
    merged.VerifyFailed = merged.VerifyFailed || FailedVerification(host);
    merged.CacheMeasured = merged.CacheMeasured || MeasuredCache(host);
    if (host.ClockOffset) {
      ++knownOffsets;
    } else {
      merged.UnknownOffsets.push_back(host.Host);
    }
  }
  // One host alone has no other clock to disagree with.
  if (merged.Hosts.size() == 1) merged.UnknownOffsets.clear();
  // Two measured offsets may each be off, in opposite directions; a host
  // without one may be off by anything.
  merged.ClockUncertainty = knownOffsets > 1    ? 2 * OffsetUncertaintySeconds
                            : knownOffsets == 1 ? OffsetUncertaintySeconds
                                                : 0;
  const double doubt = merged.UnknownOffsets.empty() ? merged.ClockUncertainty
                                                     : std::numeric_limits<double>::infinity();
  for (std::size_t r = 1; r <= repetitions; ++r) {
    for (const bool write : {true, false}) {
      // A phase no host ran (the writes of a read-only run) is no row.
      const bool anyHost = std::any_of(merged.Hosts.begin(), merged.Hosts.end(), [&](auto& h) {
        const auto& list = write ? h.Writes : h.Reads;
        return r <= list.size() && list[r - 1];
      });
      if (anyHost) {
        merged.Phases.push_back(Overlap(merged.Hosts, static_cast<int>(r), write, doubt));
      }
    }
  }
  FinishLatency(merged.WriteLatency);
  FinishLatency(merged.ReadLatency);
}

MergedRuns MergeRuns(const std::vector<MergeDocument>& documents) {
  MergedRuns merged;
  for (const MergeDocument& document : documents) {
    if (!AddRun(merged, document.Name, document.Text)) break;
  }
  FinishMerge(merged);
  return merged;
}

std::string VerifyCell(const MergedHost& host) {
  if (!host.Verified) return MergeTexts::NotVerified;
  if (host.SectorsBad == 0) return MergeTexts::VerifyPassed;
  return FormatText(MergeTexts::VerifyFailed, static_cast<long long>(host.SectorsBad),
                    static_cast<long long>(host.SectorsChecked));
}

std::string VerdictCell(const MergedHost& host, bool write) {
  std::vector<VerdictKind> kinds;
  for (const VerdictKind kind : write ? host.WriteVerdicts : host.ReadVerdicts) {
    if (kind != VerdictKind::None && std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) {
      kinds.push_back(kind);
    }
  }
  if (kinds.empty()) return "-";
  std::string cell;
  for (const VerdictKind kind : kinds)
    cell += (cell.empty() ? "" : "／") + std::string(VerdictLabel(kind));
  return cell;
}

std::vector<std::string> MergeNotes(const MergedRuns& merged) {
  const auto hosts = [&](bool (*which)(const MergedHost&)) {
    std::string names;
    for (const MergedHost& host : merged.Hosts) {
      if (which(host)) names += (names.empty() ? "" : "、") + PrintableText(host.Host);
    }
    return names;
  };
  std::vector<std::string> notes;
  if (merged.VerifyFailed) {
    notes.push_back(FormatText(MergeTexts::FailedNote, hosts(FailedVerification).c_str()));
  }
  if (merged.CacheMeasured) {
    notes.push_back(FormatText(MergeTexts::CacheNote, hosts(MeasuredCache).c_str()));
  }
  // A host on a memory file system measured memory: its reason says so.
  for (const MergedHost& host : merged.Hosts) {
    const auto unjudged = [](const std::vector<VerdictKind>& kinds) {
      return std::find(kinds.begin(), kinds.end(), VerdictKind::Unknown) != kinds.end();
    };
    if (!host.CountersReason.empty() &&
        (unjudged(host.WriteVerdicts) || unjudged(host.ReadVerdicts))) {
      notes.push_back(FormatText(MergeTexts::UnjudgedNote, PrintableText(host.Host).c_str(),
                                 PrintableText(host.CountersReason).c_str()));
    }
  }
  if (!merged.UnknownOffsets.empty()) {
    notes.push_back(FormatText(MergeTexts::UnknownOffsetNote,
                               hosts([](const MergedHost& h) { return !h.ClockOffset; }).c_str()));
  } else if (std::any_of(merged.Phases.begin(), merged.Phases.end(),
                         [](const PhaseOverlap& p) { return p.ClockDoubt; })) {
    notes.push_back(FormatText(MergeTexts::ClockDoubtNote,
                               FormatText("%.3f", merged.ClockUncertainty).c_str()));
  }
  return notes;
}

}  // namespace tarnwell
