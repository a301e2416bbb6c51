// The whole-drive check: its size, its notes, its JSON and its progress line.
#include "engine/WholeDriveCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/HtmlReport.h"
#include "engine/Json.h"
#include "engine/VerifyNotes.h"

namespace tarnwell {
namespace {

constexpr double Megabyte = 1048576.0;
constexpr double Gigabyte = 1073741824.0;

std::string Format(const char* format, const std::string& a) {
  std::vector<char> text(std::char_traits<char>::length(format) + a.size() + 1);
  std::snprintf(text.data(), text.size(), format, a.c_str());
  return text.data();
}

}  // namespace

std::int64_t FillMargin(std::int64_t freeBytes) {
  return std::max(FillMarginFloor, freeBytes / 200);
}

std::optional<FillPlan> PlanFill(std::int64_t freeBytes, std::int32_t fileSize) {
  if (freeBytes < 0 || fileSize <= 0) return std::nullopt;
  const std::int64_t room = freeBytes - FillMargin(freeBytes);
  const std::int64_t files = std::min<std::int64_t>(room / fileSize, FillMaxFiles);
  if (files < 1) return std::nullopt;
  return FillPlan{fileSize, static_cast<std::int32_t>(files)};
}

std::string SizeFill(RunParameters& parameters, int fileSizeIndex,
                     const platform::DeviceIdentity& device, std::optional<FillRecord>& fill) {
  if (fileSizeIndex < 0 || fileSizeIndex >= ItemCount) return RunMessages::FileLargerThanTotal;
  parameters.FileSize = static_cast<std::int32_t>(FileSizeTable[fileSizeIndex]);
  if (device.FreeBytes < 0) return WholeDriveTexts::FreeSpaceUnknown;
  const std::optional<FillPlan> plan = PlanFill(device.FreeBytes, parameters.FileSize);
  if (!plan) return Format(WholeDriveTexts::TooLittleRoom, SizeText(device.FreeBytes));
  parameters.FileCount = plan->FileCount;
  fill = FillRecord{};
  fill->CapacityBytes = device.CapacityBytes;
  fill->FreeBytes = device.FreeBytes;
  fill->PlannedBytes = plan->Bytes();
  return {};
}

FillRecord FinishFill(FillRecord fill, std::int64_t writtenBytes, std::int32_t fileSize,
                      const std::optional<VerifyResult>& readBack) {
  fill.WrittenBytes = writtenBytes;
  if (!readBack) return fill;
  fill.VerifiedBytes = readBack->Counts[SectorClass::Ok] * SectorBytes;
  std::optional<std::int64_t> firstBad;
  // Files are read in the order written: the first bad sector read is the
  // first in the order of writing too.
  if (readBack->FirstBad) {
    firstBad = static_cast<std::int64_t>(readBack->FirstBad->File - 1) * fileSize +
               readBack->FirstBad->Offset;
  }
  fill.UsableBytes =
      UsableBytes(writtenBytes, fill.VerifiedBytes, firstBad,
                  readBack->FirstBad && readBack->FirstBad->Class == SectorClass::Misplaced);
  return fill;
}

void MakeFillChoices(RunChoices& choices, bool keep) {
  choices.Fill = true;
  choices.Verify = true;
  choices.ReadOnly = false;
  choices.ReadRandom = false;
  choices.ReadPercentageIndex = ReadAllIndex;
  choices.Parameters.ReadPercent = 100;
  choices.RepeatIndex = 0;  // one repetition
  choices.DeleteFiles = !keep;
}

std::int64_t UsableBytes(std::int64_t writtenBytes, std::int64_t verifiedBytes,
                         std::optional<std::int64_t> firstBadPosition, bool firstBadMisplaced) {
  if (!firstBadPosition) return writtenBytes;
  if (firstBadMisplaced) return verifiedBytes;
  return std::min(*firstBadPosition, writtenBytes);
}

std::string SizeText(std::int64_t bytes) {
  char text[48];
  if (bytes >= static_cast<std::int64_t>(Gigabyte)) {
    std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / Gigabyte);
  } else {
    std::snprintf(text, sizeof text, "%.0f MB",
                  std::floor(static_cast<double>(std::max<std::int64_t>(bytes, 0)) / Megabyte));
  }
  return text;
}

std::string DurationText(double seconds) {
  const auto whole = static_cast<long long>(std::llround(std::max(seconds, 0.0)));
  char text[64];
  if (whole >= 3600) {
    std::snprintf(text, sizeof text, "%lld 時間 %lld 分", whole / 3600, whole % 3600 / 60);
  } else if (whole >= 60) {
    std::snprintf(text, sizeof text, "%lld 分 %lld 秒", whole / 60, whole % 60);
  } else {
    std::snprintf(text, sizeof text, "%lld 秒", whole);
  }
  return text;
}

std::string FillConfirmation(const FillPlan& plan, double writeMBps) {
  std::string time = WholeDriveTexts::ConfirmNoTime;
  if (writeMBps > 0) {
    const std::string duration =
        DurationText(static_cast<double>(plan.Bytes()) / Megabyte / writeMBps);
    std::vector<char> text(256 + duration.size());
    std::snprintf(text.data(), text.size(), WholeDriveTexts::ConfirmTime, writeMBps,
                  duration.c_str());
    time = text.data();
  }
  const std::string bytes = SizeText(plan.Bytes());
  std::vector<char> text(std::char_traits<char>::length(WholeDriveTexts::Confirm) + bytes.size() +
                         time.size() + 1);
  std::snprintf(text.data(), text.size(), WholeDriveTexts::Confirm, bytes.c_str(), time.c_str());
  return text.data();
}

void FillNotes(const RunRecord& record, std::vector<std::string>& notes) {
  if (!record.Fill) return;
  const FillRecord& fill = *record.Fill;
  const std::string capacity =
      fill.CapacityBytes < 0 ? WholeDriveTexts::Unknown : SizeText(fill.CapacityBytes);
  const std::string free = fill.FreeBytes < 0 ? WholeDriveTexts::Unknown : SizeText(fill.FreeBytes);
  const std::string written = SizeText(fill.WrittenBytes);
  const std::string verified = SizeText(fill.VerifiedBytes);
  std::vector<char> text(std::char_traits<char>::length(WholeDriveTexts::Summary) +
                         capacity.size() + free.size() + written.size() + verified.size() + 1);
  std::snprintf(text.data(), text.size(), WholeDriveTexts::Summary, capacity.c_str(), free.c_str(),
                written.c_str(), verified.c_str());
  notes.emplace_back(text.data());
  if (fill.UsableBytes < 0) return;
  if (fill.WrittenBytes < fill.PlannedBytes) {
    notes.push_back(Format(WholeDriveTexts::FullEarly, SizeText(fill.PlannedBytes)));
  }
  if (RunVerification(record).Counts[SectorClass::Misplaced] > 0) {
    notes.emplace_back(WholeDriveTexts::Wrapped);
  }
  notes.push_back(Format(WholeDriveTexts::Usable, SizeText(fill.UsableBytes)));
}

std::string FillSection(const RunRecord& record) {
  if (!record.Fill) return {};
  const FillRecord& fill = *record.Fill;
  auto row = [](const char* name, std::int64_t bytes) {
    return "<tr><th>" + std::string(name) + "</th><td>" +
           (bytes < 0 ? std::string(WholeDriveTexts::Unknown) : SizeText(bytes)) + "</td></tr>";
  };
  std::string html =
      "<section><h2>" + std::string(WholeDriveTexts::SectionTitle) + "</h2><table class=\"kv\">" +
      row("ファイルシステムの容量", fill.CapacityBytes) + row("検査前の空き容量", fill.FreeBytes) +
      row("書き込む予定", fill.PlannedBytes) + row("書き込んだ", fill.WrittenBytes) +
      row("正しく読めた", fill.VerifiedBytes) +
      row("実際に使える容量（およそ）", fill.UsableBytes) + "</table>";
  std::vector<std::string> notes;
  FillNotes(record, notes);
  // The first note says what the table above does.
  for (std::size_t i = 1; i < notes.size(); ++i) {
    html += "<p class=\"note\">" + XmlText(notes[i]) + "</p>";
  }
  return html + "</section>\n";
}

std::string FillJson(const std::optional<FillRecord>& fill) {
  if (!fill) return "null";
  auto field = [](const char* name, std::int64_t value, bool first = false) {
    return std::string(first ? "" : ", ") + "\"" + name + "\": " + std::to_string(value);
  };
  return "{" + field("capacityBytes", fill->CapacityBytes, true) +
         field("freeBytes", fill->FreeBytes) + field("plannedBytes", fill->PlannedBytes) +
         field("writtenBytes", fill->WrittenBytes) + field("verifiedBytes", fill->VerifiedBytes) +
         ", \"usableBytes\": " +
         (fill->UsableBytes < 0 ? std::string("null") : std::to_string(fill->UsableBytes)) + "}";
}

bool ReadFillJson(const JsonValue* value, std::optional<FillRecord>& fill) {
  fill.reset();
  if (value == nullptr || value->Type == JsonValue::Kind::Null) return true;
  if (value->Type != JsonValue::Kind::Object) return false;
  bool sound = true;
  // Whole byte counts from -1 up to 2^62, as a run writes them.
  auto count = [&](std::string_view key, std::int64_t otherwise) {
    const JsonValue* item = value->Find(key);
    if (item == nullptr || item->Type != JsonValue::Kind::Number) return otherwise;
    const double x = item->Number;
    if (!(x >= -1 && x <= 4611686018427387904.0) || x != std::floor(x)) {
      sound = false;
      return otherwise;
    }
    return static_cast<std::int64_t>(x);
  };
  FillRecord read;
  read.CapacityBytes = count("capacityBytes", -1);
  read.FreeBytes = count("freeBytes", -1);
  read.PlannedBytes = count("plannedBytes", 0);
  read.WrittenBytes = count("writtenBytes", 0);
  read.VerifiedBytes = count("verifiedBytes", 0);
  read.UsableBytes = count("usableBytes", -1);
  if (!sound) return false;
  fill = read;
  return true;
}

std::string FillMeter::Line(const RunProgress& progress, std::int32_t fileSize, double now) {
  const RunPhase phase = progress.Phase.load(std::memory_order_relaxed);
  const char* phaseText = RunPhaseText(phase);
  if (phase != RunPhase::Writing && phase != RunPhase::Reading) return phaseText;
  const std::int32_t files = progress.Files.load(std::memory_order_relaxed);
  // The file in hand is not done yet.
  const std::int32_t done = std::max(progress.File.load(std::memory_order_relaxed) - 1, 0);
  const double bytes = static_cast<double>(done) * fileSize;
  const double total = static_cast<double>(files) * fileSize;
  // The speed counts from the first sight of the phase, the bytes done by
  // then included.
  if (phase != phase_) {
    phase_ = phase;
    started_ = now;
    startBytes_ = bytes;
  }
  const double seconds = now - started_;
  const double rate = seconds > 0 ? (bytes - startBytes_) / Megabyte / seconds : 0;
  const std::string left = rate > 0 ? DurationText((total - bytes) / Megabyte / rate)
                                    : std::string(WholeDriveTexts::Unknown);
  const std::string doneText = SizeText(static_cast<std::int64_t>(bytes));
  const std::string totalText = SizeText(static_cast<std::int64_t>(total));
  std::vector<char> text(256 + doneText.size() + totalText.size() + left.size());
  std::snprintf(text.data(), text.size(), WholeDriveTexts::Progress, phaseText, doneText.c_str(),
                totalText.c_str(), rate, left.c_str());
  return text.data();
}

}  // namespace tarnwell
