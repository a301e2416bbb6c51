// The whole-drive check: its size, its notes, its JSON and its progress line.
#include "engine/run/WholeDriveCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/base/TextFormat.h"
#include "engine/base/XmlText.h"
#include "engine/judge/VerifyNotes.h"

namespace tarnwell {
namespace {

constexpr double Megabyte = 1048576.0;
constexpr double Gigabyte = 1073741824.0;

}  // namespace

std::optional<FillPlan> PlanFill(std::int64_t freeBytes, std::int64_t capacityBytes,
                                 std::int32_t fileSize, std::int64_t keptBytes) {
  if (freeBytes < 0 || fileSize <= 0) return std::nullopt;
  const std::int64_t room =
      freeBytes + std::max<std::int64_t>(keptBytes, 0) - FreeSpaceMargin(freeBytes, capacityBytes);
  const std::int64_t files = std::min<std::int64_t>(room / fileSize, FillMaxFiles);
  if (files < 1) return std::nullopt;
  return FillPlan{fileSize, static_cast<std::int32_t>(files)};
}

std::optional<Refusal> SizeFill(RunParameters& parameters, int fileSizeIndex,
                                const platform::DeviceIdentity& device, std::int64_t keptBytes,
                                std::optional<FillRecord>& fill) {
  if (fileSizeIndex < 0 || fileSizeIndex >= ItemCount) {
    return Refusal{RunMessages::FileLargerThanTotal};
  }
  parameters.FileSize = static_cast<std::int32_t>(FileSizeTable[fileSizeIndex]);
  if (device.FreeBytes < 0) return Refusal{WholeDriveTexts::FreeSpaceUnknown};
  const std::optional<FillPlan> plan =
      PlanFill(device.FreeBytes, device.CapacityBytes, parameters.FileSize, keptBytes);
  if (!plan) {
    return Refusal{FormatText(WholeDriveTexts::TooLittleRoom, SizeText(device.FreeBytes))};
  }
  parameters.FileCount = plan->FileCount;
  fill = FillRecord{};
  fill->CapacityBytes = device.CapacityBytes;
  fill->FreeBytes = device.FreeBytes;
  fill->PlannedBytes = plan->Bytes();
  return std::nullopt;
}

std::optional<Refusal> WholeDriveCheck::Size(RunSetting& setting) {
  // The total comes from the free space and what an earlier kept check's
  // files hold.
  const KeptFiles kept = KeptTestFiles(setting.Files, setting.Folder, 1, FillMaxFiles);
  if (std::optional<Refusal> refused = SizeFill(setting.Parameters, setting.Choices.FileSizeIndex,
                                                setting.Device, kept.Bytes, fill_)) {
    return refused;
  }
  setting.Choices.TotalBytes = fill_->PlannedBytes;  // the record names the total
  // Kept files past the plan were counted as room: they make it.
  if (kept.Count > setting.Parameters.FileCount) {
    RemoveTestFilesFrom(setting.Files, setting.Folder, setting.Parameters.FileCount + 1);
  }
  return std::nullopt;
}

bool WholeDriveCheck::EndsWritesShort(RunSetting& setting, std::int32_t number, const char* name,
                                      int code) {
  platform::FileSystem& files = setting.Files;
  // The torn file goes first, so the figures show the files before it.
  platform::BestEffort(files.RemoveFile(setting.Folder, name));
  FillStopFacts facts;
  facts.NoSpace = platform::IsNoSpaceError(code);
  facts.SpaceAfter = files.Space(setting.Folder);
  facts.FreeBefore = fill_->FreeBytes;
  facts.FileSize = setting.Parameters.FileSize;
  facts.Files = number - 1;
  facts.WrittenBytes = static_cast<std::int64_t>(facts.Files) * facts.FileSize;
  const KeptFiles written = KeptTestFiles(files, setting.Folder, 1, facts.Files);
  if (written.Count == facts.Files) facts.AllocatedBytes = written.Bytes;
  fill_->Shortfall = ClassifyShortfall(facts);
  fill_->FreeAfterBytes = facts.SpaceAfter.FreeBytes;
  fill_->AllocatedBytes = facts.AllocatedBytes;
  if (fill_->Shortfall == FillShortfall::WriteError) fill_->StopReason = platform::ErrorText(code);
  return true;
}

void WholeDriveCheck::Ended(RunVerifier& verifier, bool completed) {
  partialReadBack_.reset();
  // A check stopped while reading back keeps what it had verified.
  if (!fill_ || !verifier.On() || completed) return;
  const VerifyResult read = verifier.TakePhase().Result;
  if (read.Counts.Total() > 0) partialReadBack_ = read;
}

void WholeDriveCheck::Complete(RunRecord& record, std::int32_t filesWritten, std::int32_t fileSize,
                               bool readBack) const {
  if (!fill_) return;
  record.Fill =
      FinishFill(*fill_, static_cast<std::int64_t>(filesWritten) * fileSize, fileSize,
                 readBack ? std::optional(RunVerification(record)) : partialReadBack_, readBack);
}

FillShortfall ClassifyShortfall(const FillStopFacts& facts) {
  if (!facts.NoSpace) return FillShortfall::WriteError;
  const platform::SpaceReport& after = facts.SpaceAfter;
  if (after.Files > 0 && after.FreeFiles == 0) return FillShortfall::Inodes;
  // A full file system shows less than a file's room (or a few blocks of
  // small files); one that still shows a whole file's room and more is
  // refusing for a reason of its own, or the store beneath it ran out.
  if (after.FreeBytes >= std::max<std::int64_t>(facts.FileSize, 1048576))
    return FillShortfall::FreeSpaceShown;
  const std::int64_t ours = facts.AllocatedBytes >= 0
                                ? std::max(facts.AllocatedBytes, facts.WrittenBytes)
                                : facts.WrittenBytes;
  if (facts.FreeBefore >= 0 && after.FreeBytes >= 0) {
    // Space gone that neither the files nor their records account for.
    const std::int64_t gone = facts.FreeBefore - after.FreeBytes;
    if (gone - ours > static_cast<std::int64_t>(facts.Files) * RecordBytesPerFile)
      return FillShortfall::OtherWriters;
  }
  if (ours - facts.WrittenBytes > facts.WrittenBytes / 64) return FillShortfall::WholeBlocks;
  return FillShortfall::Records;
}

bool FillFellShort(const RunRecord& record) {
  return record.Fill && (record.Fill->Shortfall != FillShortfall::None ||
                         record.Fill->WrittenBytes < record.Fill->PlannedBytes);
}

FillRecord FinishFill(FillRecord fill, std::int64_t writtenBytes, std::int32_t fileSize,
                      const std::optional<VerifyResult>& readBack, bool complete) {
  fill.WrittenBytes = writtenBytes;
  if (!readBack) return fill;
  fill.VerifiedBytes = readBack->Counts[SectorClass::Ok] * SectorBytes;
  if (!complete) return fill;
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
  const std::string planned = SizeText(fill.PlannedBytes);
  const std::string gone = SizeText(std::max<std::int64_t>(
      fill.FreeBytes - fill.FreeAfterBytes - std::max(fill.AllocatedBytes, fill.WrittenBytes), 0));
  switch (fill.Shortfall) {
    case FillShortfall::None:
      if (fill.WrittenBytes < fill.PlannedBytes)
        notes.push_back(FormatText(WholeDriveTexts::FullEarly, planned));
      break;
    case FillShortfall::Inodes:
      notes.push_back(FormatText(WholeDriveTexts::ShortInodes, planned, written));
      break;
    case FillShortfall::FreeSpaceShown:
      notes.push_back(FormatText(WholeDriveTexts::ShortFreeShown, planned, written,
                                 SizeText(fill.FreeAfterBytes)));
      break;
    case FillShortfall::OtherWriters:
      notes.push_back(FormatText(WholeDriveTexts::ShortOtherWriters, planned, written, gone));
      break;
    case FillShortfall::WholeBlocks:
      notes.push_back(FormatText(WholeDriveTexts::ShortWholeBlocks, planned, written,
                                 SizeText(fill.AllocatedBytes)));
      break;
    case FillShortfall::Records:
      notes.push_back(FormatText(WholeDriveTexts::ShortRecords, planned, written));
      break;
    case FillShortfall::WriteError:
      notes.push_back(
          FormatText(WholeDriveTexts::ShortWriteError, planned, written, fill.StopReason));
      break;
  }
  const VerifyResult readBack = RunVerification(record);
  if (readBack.Counts[SectorClass::Misplaced] > 0) notes.emplace_back(WholeDriveTexts::Wrapped);
  // A short check that found nothing wrong knows only what it wrote: it
  // claims no size for the drive.
  if (fill.Shortfall != FillShortfall::None && readBack.Clean()) {
    notes.push_back(FormatText(WholeDriveTexts::ShortAllGood, written,
                               SizeText(fill.PlannedBytes - fill.WrittenBytes)));
    return;
  }
  notes.push_back(FormatText(WholeDriveTexts::Usable, SizeText(fill.UsableBytes)));
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
