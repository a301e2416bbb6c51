// Reading the run document back: the typed reader of its members, the
// history line, and the parts the merge reads from hosts' documents.
#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/base/TextFormat.h"
#include "engine/base/UtcTime.h"
#include "engine/output/RunDocument.h"

namespace tarnwell {
namespace {

// Far beyond any disk, far within a double's range: a figure so large
// (1e308) that the report's scales would overflow is no run's.
constexpr double LargestFigure = 1e12;
// 2^62 bounds the 64-bit counts (bytes) with room to spare.
constexpr double LargestBytes = 4611686018427387904.0;
// More than any phase holds (a phase counts its files in 32 bits), far less
// than would overflow a sum over thousands of documents.
constexpr double LargestCount = 4294967296.0;

constexpr SectorClass Classes[] = {SectorClass::Ok, SectorClass::Corrupted, SectorClass::Misplaced,
                                   SectorClass::Stale, SectorClass::Missing};
constexpr const char* SectorClassKeys[] = {"ok", "corrupted", "misplaced", "stale", "missing"};
constexpr FillShortfall Shortfalls[] = {FillShortfall::Inodes,       FillShortfall::FreeSpaceShown,
                                        FillShortfall::OtherWriters, FillShortfall::WholeBlocks,
                                        FillShortfall::Records,      FillShortfall::WriteError};
constexpr const char* ShortfallKeys[] = {"inodes",      "freeSpaceShown", "otherWriters",
                                         "wholeBlocks", "records",        "writeError"};

bool Whole(double x, double lowest, double highest) {
  return x >= lowest && x <= highest && x == std::floor(x);
}

}  // namespace

DocumentReader::DocumentReader(std::string prefix, const char* countOutOfRange)
    : prefix_(std::move(prefix)), countOutOfRange_(countOutOfRange) {}

void DocumentReader::Fail(const std::string& what) {
  if (!fault_) fault_ = Refusal{prefix_ + what};
}

const JsonValue* DocumentReader::Member(const JsonValue& object, const char* key,
                                        JsonValue::Kind kind, bool nullable) {
  const JsonValue* value = object.Find(key);
  if (value != nullptr && value->Type == kind) return value;
  if (nullable && value != nullptr && value->Type == JsonValue::Kind::Null) return nullptr;
  Fail(std::string("\"") + key + "\"");
  return nullptr;
}

std::int64_t DocumentReader::Integer(const JsonValue& object, const char* key, std::int64_t lowest,
                                     std::int64_t highest) {
  const JsonValue* value = Member(object, key, JsonValue::Kind::Number);
  if (value == nullptr) return lowest;
  if (!Whole(value->Number, static_cast<double>(lowest), static_cast<double>(highest))) {
    Fail(FormatText(countOutOfRange_, key, static_cast<long long>(lowest),
                    static_cast<long long>(highest)));
    return lowest;
  }
  return static_cast<std::int64_t>(value->Number);
}

double DocumentReader::Figure(const JsonValue& object, const char* key, double lowest,
                              double highest) {
  const JsonValue* value = Member(object, key, JsonValue::Kind::Number);
  if (value == nullptr) return lowest;
  if (!(value->Number >= lowest && value->Number <= highest)) {
    Fail(std::string("\"") + key + "\"");
    return lowest;
  }
  return value->Number;
}

double DocumentReader::Count(const JsonValue& value, const char* what) {
  if (value.Type != JsonValue::Kind::Number || !Whole(value.Number, 0, LargestCount)) {
    Fail(what);
    return 0;
  }
  return value.Number;
}

double DocumentReader::Time(const JsonValue& object, const char* key) {
  const JsonValue* value = Member(object, key, JsonValue::Kind::String);
  if (value == nullptr) return 0;
  const std::optional<std::int64_t> microseconds = ParseUtcTime(value->Text);
  if (!microseconds) Fail(std::string("\"") + key + "\"");
  return static_cast<double>(microseconds.value_or(0)) / 1e6;
}

template <class CountType>
CountType DocumentReader::CountOr(const JsonValue& object, std::string_view key,
                                  CountType otherwise) {
  const JsonValue* value = object.Find(key);
  if (value == nullptr || value->Type != JsonValue::Kind::Number) return otherwise;
  const double largest =
      std::min(static_cast<double>(std::numeric_limits<CountType>::max()), LargestBytes);
  if (!Whole(value->Number, -largest, largest)) {
    Fail("\"" + std::string(key) + "\"");
    return otherwise;
  }
  return static_cast<CountType>(value->Number);
}

template std::int32_t DocumentReader::CountOr(const JsonValue&, std::string_view, std::int32_t);
template std::int64_t DocumentReader::CountOr(const JsonValue&, std::string_view, std::int64_t);

double DocumentReader::FigureOr(const JsonValue& object, std::string_view key, double otherwise,
                                double lowest) {
  const JsonValue* value = object.Find(key);
  if (value == nullptr || value->Type != JsonValue::Kind::Number) return otherwise;
  if (!(value->Number >= lowest && value->Number <= LargestFigure)) {
    Fail("\"" + std::string(key) + "\"");
    return otherwise;
  }
  return value->Number;
}

namespace {

// A count as written: whole, not negative, within 2^62.
std::optional<std::int64_t> ReadCount(const JsonValue* value) {
  if (value == nullptr || value->Type != JsonValue::Kind::Number) return std::nullopt;
  if (!Whole(value->Number, 0, LargestBytes)) return std::nullopt;
  return static_cast<std::int64_t>(value->Number);
}

bool IsHex(const std::string& text) {
  if (text.size() > 2 * ShownBytes || text.size() % 2 != 0) return false;
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::optional<BadSector> ReadBadSector(const JsonValue& bad) {
  BadSector sector;
  const std::string name = bad.TextAt("class");
  // Any class but "ok": a sector read back as written is no bad one.
  const auto* key = std::find_if(std::begin(SectorClassKeys) + 1, std::end(SectorClassKeys),
                                 [&](const char* k) { return name == k; });
  if (key == std::end(SectorClassKeys)) return std::nullopt;
  sector.Class = Classes[key - std::begin(SectorClassKeys)];
  const std::optional<std::int64_t> file = ReadCount(bad.Find("file"));
  const std::optional<std::int64_t> offset = ReadCount(bad.Find("offset"));
  if (!file || *file > INT32_MAX || !offset) return std::nullopt;
  sector.File = static_cast<std::int32_t>(*file);
  sector.Offset = *offset;
  // Where the bytes shown begin in the sector; documents from before it was
  // kept show the sector's first bytes.
  if (const JsonValue* at = bad.Find("shownAt")) {
    const std::optional<std::int64_t> shownAt = ReadCount(at);
    if (!shownAt || *shownAt > SectorBytes - ShownBytes) return std::nullopt;
    sector.ShownAt = static_cast<std::int32_t>(*shownAt);
  }
  sector.Expected = bad.TextAt("expected");
  sector.Found = bad.TextAt("found");
  if (!IsHex(sector.Expected) || !IsHex(sector.Found)) return std::nullopt;
  return sector;
}

// The phase's precise times; a line from before they were kept has none.
bool ReadExact(const JsonValue& json, PhaseRecord& phase) {
  const JsonValue* seconds = json.Find("exactSeconds");
  const JsonValue* speed = json.Find("exactMBPerSecond");
  if (seconds == nullptr && speed == nullptr) return true;
  if (seconds == nullptr || speed == nullptr || seconds->Type != JsonValue::Kind::Number ||
      speed->Type != JsonValue::Kind::Number) {
    return false;
  }
  if (!(seconds->Number >= 0 && seconds->Number <= LargestFigure && speed->Number >= 0 &&
        speed->Number <= LargestFigure)) {
    return false;
  }
  phase.ExactSeconds = seconds->Number;
  phase.ExactMBPerSecond = speed->Number;
  return true;
}

// The phase's write cliff: nothing where it has none, a refusal (nothing
// inside) when it holds figures no run writes.
std::optional<std::optional<WriteCliff>> ReadWriteCliff(const JsonValue& phase) {
  const JsonValue* value = phase.Find("writeCliff");
  if (value == nullptr || value->Type == JsonValue::Kind::Null) {
    return std::optional<WriteCliff>();
  }
  if (value->Type != JsonValue::Kind::Object) return std::nullopt;
  WriteCliff read;
  const double share = value->NumberAt("share", -1);
  const double bytes = value->NumberAt("atBytes", -1);
  read.BeforeMBps = value->NumberAt("beforeMBPerSecond", -1);
  read.AfterMBps = value->NumberAt("afterMBPerSecond", -1);
  // Within what a run writes: a share of at most a hundred, bytes below
  // 2^62, rates from nothing to far beyond any disk.
  if (!Whole(share, 0, 100) || !Whole(bytes, 0, LargestBytes) ||
      !(read.BeforeMBps >= 0 && read.BeforeMBps <= LargestFigure) ||
      !(read.AfterMBps >= 0 && read.AfterMBps <= LargestFigure)) {
    return std::nullopt;
  }
  read.Share = static_cast<std::int32_t>(share);
  read.AtBytes = static_cast<std::int64_t>(bytes);
  return std::optional<WriteCliff>(read);
}

bool ReadCounting(const JsonValue* value, DeviceCounting& counting) {
  if (value == nullptr || value->Type != JsonValue::Kind::Object) return true;
  if (const JsonValue* devices = value->Find("devices")) {
    for (const JsonValue& device : devices->Items) counting.Devices.push_back(device.Text);
  }
  counting.BackingFile = value->TextAt("backingFile");
  counting.LinkMBps = value->NumberAt("linkMBps", 0);
  counting.Wine = value->BoolAt("wine");
  counting.Reason = value->TextAt("reason");
  return counting.LinkMBps >= 0 && counting.LinkMBps <= LargestFigure;
}

VerdictKind KindOf(const std::string& key) {
  for (const VerdictKind kind :
       {VerdictKind::Device, VerdictKind::Mixed, VerdictKind::Cache, VerdictKind::Unknown}) {
    if (key == VerdictKindKey(kind)) return kind;
  }
  return VerdictKind::None;
}

bool ReadVerdict(const JsonValue* value, PhaseVerdict& verdict) {
  if (value == nullptr || value->Type != JsonValue::Kind::Object) return true;
  verdict.Kind = KindOf(value->TextAt("verdict"));
  // Byte counts are whole and within 2^62, as every count of the history.
  const auto count = [](const JsonValue* number, std::int64_t& into) {
    if (number == nullptr || number->Type != JsonValue::Kind::Number) return true;
    const std::optional<std::int64_t> read = ReadCount(number);
    if (read) into = *read;
    return read.has_value();
  };
  verdict.OverLink = value->BoolAt("overLink");
  return verdict.Kind != VerdictKind::None && count(value->Find("bytes"), verdict.Bytes) &&
         count(value->Find("deviceBytes"), verdict.DeviceBytes);
}

// A check's shortfall by its key; nothing for none, a fault for another.
void ReadShortfall(const JsonValue& fill, FillRecord& read, DocumentReader& reader) {
  const JsonValue* shortfall = fill.Find("shortfall");
  if (shortfall == nullptr || shortfall->Type == JsonValue::Kind::Null) return;
  const auto* key = std::find_if(std::begin(ShortfallKeys), std::end(ShortfallKeys),
                                 [&](const char* k) { return shortfall->Text == k; });
  if (shortfall->Type != JsonValue::Kind::String || key == std::end(ShortfallKeys)) {
    return reader.Fail("\"shortfall\"");
  }
  read.Shortfall = Shortfalls[key - std::begin(ShortfallKeys)];
}

// The whole-drive check: nothing for another run, a refusal (nothing
// inside) when a figure is no run's.
std::optional<std::optional<FillRecord>> ReadFill(const JsonValue* value) {
  if (value == nullptr || value->Type == JsonValue::Kind::Null) {
    return std::optional<FillRecord>();
  }
  if (value->Type != JsonValue::Kind::Object) return std::nullopt;
  DocumentReader reader("", "");
  // Whole byte counts from -1 up to 2^62, as a run writes them.
  const auto count = [&](std::string_view key, std::int64_t otherwise) {
    const std::int64_t read = reader.CountOr<std::int64_t>(*value, key, otherwise);
    if (read < -1) reader.Fail(std::string(key));
    return read;
  };
  FillRecord read;
  read.CapacityBytes = count("capacityBytes", -1);
  read.FreeBytes = count("freeBytes", -1);
  read.PlannedBytes = count("plannedBytes", 0);
  read.WrittenBytes = count("writtenBytes", 0);
  read.VerifiedBytes = count("verifiedBytes", 0);
  read.UsableBytes = count("usableBytes", -1);
  // Members a check of an earlier version did not write.
  read.FreeAfterBytes = count("freeAfterBytes", -1);
  read.AllocatedBytes = count("allocatedBytes", -1);
  ReadShortfall(*value, read, reader);
  if (const JsonValue* reason = value->Find("stopReason");
      reason != nullptr && reason->Type == JsonValue::Kind::String) {
    read.StopReason = reason->Text;
  }
  if (reader.Failed()) return std::nullopt;
  return std::optional<FillRecord>(read);
}

void ReadStats(const JsonValue& latency, PhaseStats& stats, DocumentReader& reader) {
  stats.Files = reader.CountOr<std::int32_t>(latency, "files", 0);
  stats.P50 = reader.FigureOr(latency, "p50", 0);
  stats.P90 = reader.FigureOr(latency, "p90", 0);
  stats.P99 = reader.FigureOr(latency, "p99", 0);
  stats.P999 = reader.FigureOr(latency, "p99.9", 0);
  stats.Max = reader.FigureOr(latency, "max", 0);
}

std::optional<PhaseRecord> ReadHistoryPhase(const JsonValue* value, DocumentReader& reader) {
  if (value == nullptr || value->Type != JsonValue::Kind::Object) return std::nullopt;
  PhaseRecord phase;
  phase.Seconds = reader.FigureOr(*value, "seconds", 0);
  phase.MBPerSecond = reader.FigureOr(*value, "mbPerSecond", 0);
  if (!ReadExact(*value, phase)) reader.Fail("\"exactSeconds\"");
  if (const auto cliff = ReadWriteCliff(*value)) {
    phase.Cliff = *cliff;
  } else {
    reader.Fail("\"writeCliff\"");
  }
  if (const JsonValue* latency = value->Find("latency")) ReadStats(*latency, phase.Stats, reader);
  if (const JsonValue* verify = value->Find("verify")) {
    phase.Verification = ReadVerification(*verify);
    if (!phase.Verification) reader.Fail("\"verify\"");
  }
  if (!ReadVerdict(value->Find("verdict"), phase.Verdict)) reader.Fail("\"verdict\"");
  return phase;
}

void ReadDevice(const JsonValue& device, platform::DeviceIdentity& d, DocumentReader& reader) {
  d.Folder = device.TextAt("folder");
  d.FileSystemType = device.TextAt("fileSystem");
  d.MountSource = device.TextAt("mountSource");
  d.MountPoint = device.TextAt("mountPoint");
  d.DeviceName = device.TextAt("device");
  d.Model = device.TextAt("model");
  const JsonValue* rotational = device.Find("rotational");
  if (rotational != nullptr && rotational->Type == JsonValue::Kind::Bool) {
    d.Rotational = rotational->Boolean ? 1 : 0;
  }
  d.LogicalSectorBytes = reader.CountOr<std::int64_t>(device, "logicalSectorBytes", 0);
  d.PhysicalSectorBytes = reader.CountOr<std::int64_t>(device, "physicalSectorBytes", 0);
  d.FreeBytes = reader.CountOr<std::int64_t>(device, "freeBytes", -1);
}

// What a row of the history's list shows, besides the device.
void ReadHistoryChoices(const JsonValue& j, RunRecord& r, DocumentReader& reader) {
  r.Date = j.TextAt("date");
  r.Host = j.TextAt("host");
  r.System = j.TextAt("system");
  r.Folder = j.TextAt("folder");
  r.FileSize = j.TextAt("fileSize");
  r.Total = j.TextAt("total");
  r.Block = j.TextAt("block");
  r.ReadPercent = j.TextAt("readPercent");
  r.Repeat = reader.CountOr<std::int32_t>(j, "repeat", 0);
  r.WaitSeconds = reader.CountOr<std::int32_t>(j, "waitSeconds", 0);
  r.ReadOnly = j.BoolAt("readOnly");
  r.Random = j.BoolAt("random");
  r.Delete = j.BoolAt("delete");
  r.FileSizeBytes = reader.CountOr<std::int64_t>(j, "fileSizeBytes", 0);
  r.FileCount = reader.CountOr<std::int32_t>(j, "fileCount", 0);
  r.ReadCount = reader.CountOr<std::int32_t>(j, "readCount", 0);
  if (const JsonValue* device = j.Find("device")) ReadDevice(*device, r.Device, reader);
}

void ReadHistoryOutcome(const JsonValue& j, RunRecord& r, DocumentReader& reader) {
  r.MeanWriteMBps = reader.FigureOr(j, "meanWriteMBps", -1, -1);
  r.MeanReadMBps = reader.FigureOr(j, "meanReadMBps", -1, -1);
  r.Result = j.TextAt("result");
  r.Message = j.TextAt("message");
}

// Older lines have "verified" alone, meaning that the data was checked.
void ReadVerified(const JsonValue& j, RunRecord& r, DocumentReader& reader) {
  const JsonValue* verification = j.Find("verification");
  if (verification == nullptr) {
    r.Verified = j.BoolAt("verified");
    return;
  }
  const std::string state = verification->Type == JsonValue::Kind::String ? verification->Text : "";
  if (state != "off" && state != "unchecked" && state != "passed" && state != "failed") {
    return reader.Fail("\"verification\"");
  }
  r.Verified = state != "off";
}

void ReadHistoryRest(const JsonValue& j, RunRecord& r, DocumentReader& reader) {
  if (!ReadCounting(j.Find("counters"), r.Counting)) reader.Fail("\"counters\"");
  r.IoMode = j.TextAt("io");
  r.Table = j.TextAt("table");
  ReadVerified(j, r, reader);
  if (const JsonValue* repetitions = j.Find("repetitions")) {
    for (const JsonValue& item : repetitions->Items) {
      RepetitionRecord repetition;
      repetition.Number = reader.CountOr<std::int32_t>(item, "repetition", 0);
      repetition.Write = ReadHistoryPhase(item.Find("write"), reader);
      repetition.Read = ReadHistoryPhase(item.Find("read"), reader);
      r.Repetitions.push_back(std::move(repetition));
    }
  }
  if (const auto fill = ReadFill(j.Find("fill"))) {
    r.Fill = *fill;
  } else {
    reader.Fail("\"fill\"");
  }
}

}  // namespace

std::optional<PhaseVerification> ReadVerification(const JsonValue& value) {
  if (value.Type != JsonValue::Kind::Object) return std::nullopt;
  PhaseVerification v;
  const JsonValue* seconds = value.Find("checkSeconds");
  if (seconds == nullptr || seconds->Type != JsonValue::Kind::Number ||
      !(seconds->Number >= 0 && seconds->Number <= LargestFigure)) {
    return std::nullopt;
  }
  v.CheckSeconds = seconds->Number;
  const JsonValue* sectors = value.Find("sectors");
  if (sectors == nullptr) return std::nullopt;
  for (std::size_t i = 0; i < std::size(Classes); ++i) {
    const std::optional<std::int64_t> count = ReadCount(sectors->Find(SectorClassKeys[i]));
    if (!count) return std::nullopt;
    v.Result.Counts[Classes[i]] = *count;
  }
  const JsonValue* bad = value.Find("firstBad");
  if (bad == nullptr || bad->Type == JsonValue::Kind::Null) return v;
  if (bad->Type != JsonValue::Kind::Object) return std::nullopt;
  v.Result.FirstBad = ReadBadSector(*bad);
  if (!v.Result.FirstBad) return std::nullopt;
  return v;
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
  // A figure no run writes (a fraction where a count belongs, a count
  // beyond its type, a negative time) makes the line damaged, not believed.
  DocumentReader reader("", "");
  RunRecord r;
  ReadHistoryChoices(*json, r, reader);
  if (detail == HistoryDetail::Whole) ReadHistoryRest(*json, r, reader);
  ReadHistoryOutcome(*json, r, reader);
  if (reader.Failed()) return std::nullopt;
  return r;
}

}  // namespace tarnwell
