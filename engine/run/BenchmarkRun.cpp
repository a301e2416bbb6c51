// One benchmark run from the choices to the result table.
#include "engine/run/BenchmarkRun.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "engine/base/FigureText.h"
#include "engine/judge/Verdict.h"
#include "engine/judge/VerifyNotes.h"
#include "engine/judge/WriteCliff.h"
#include "engine/run/RandomOrder.h"
#include "engine/run/RunFolder.h"
#include "engine/run/UnitMSec.h"
#include "engine/run/WholeDriveCheck.h"
#include "platform/Clock.h"
#include "platform/PathNames.h"
#include "platform/Paths.h"
#include "platform/Sleep.h"
#include "platform/SystemIdentity.h"

namespace tarnwell {
namespace {
constexpr double SecondsPerDay = 86400.0;
constexpr const char* RandomListName = "test.txt";
}  // namespace

const char* RunPhaseText(RunPhase phase) {
  switch (phase) {
    case RunPhase::Idle:
    case RunPhase::Preparing:
      return "準備中";
    case RunPhase::Writing:
      return "書き込み中";
    case RunPhase::Waiting:
      return "待機中";
    case RunPhase::Selecting:
      return "読み込み順の選択中";
    case RunPhase::Reading:
      return "読み込み中";
    case RunPhase::Deleting:
      return "削除中";
    case RunPhase::Finished:
      return "終了";
  }
  return "";
}

std::string RunMessages::WithReason(const std::string& text, const std::string& reason) {
  return reason.empty() ? text : text + "\n" + reason;
}

platform::FileSystem& RunEnvironment::Files() { return platform::SystemFileSystem(); }

double RunEnvironment::Now() { return PreciseNow(); }

bool RunEnvironment::Pause(std::int32_t milliseconds, const std::atomic<bool>& stop) {
  return platform::SleepUnlessStopped(milliseconds, stop);
}

platform::DeviceIdentity RunEnvironment::Identify(const std::string& folder) {
  return platform::IdentifyDevice(folder);
}

platform::CounterPlan RunEnvironment::PlanCounters(const std::string& folder) {
  return platform::PlanDeviceCounters(folder);
}

platform::CounterSample RunEnvironment::ReadCounters(const platform::CounterPlan& plan) {
  return platform::ReadDeviceCounters(plan);
}

void RunEnvironment::Describe(RunRecord& record) {
  const platform::CalendarTime now = platform::LocalTimeNow();
  char date[32];
  std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d", now.year, now.month, now.day,
                now.hour, now.minute, now.second);
  record.Date = date;
  if (platform::Result<std::string> host = platform::QueryMachineName(); host.Ok()) {
    record.Host = std::move(*host);
  }
  const platform::Result<platform::VersionRecord> queried = platform::QueryVersion();
  if (queried.Ok()) {
    const platform::VersionRecord& version = *queried;
    const std::string name = platform::SystemName(version);
    const std::string kernel = std::to_string(version.MajorVersion) + "." +
                               std::to_string(version.MinorVersion) + "." +
                               std::to_string(version.BuildNumber);
    const char* family = version.PlatformId == platform::PlatformLinux ? "Linux" : "Windows";
    record.System = (name.empty() ? "" : name + " ") + "(" + family + " " + kernel + ")";
  }
}

std::int64_t RunEnvironment::UtcNow() { return platform::UnixMicrosecondsNow(); }

std::string RunEnvironment::RandomListPath() {
  const std::string folder = platform::ProgramCacheDirectory();
  return folder.empty() ? std::string() : platform::JoinPath(folder, RandomListName);
}

namespace {

// The ordinary run: its files come from the user's total, which must fit.
class OrdinaryRun final : public RunVariant {
public:
  std::optional<Refusal> Size(RunSetting& setting) override {
    RunParameters& parameters = setting.Parameters;
    if (!ComputeRunFileCount(parameters, setting.Choices)) {
      const bool tooMany = parameters.FileSize > 0 &&
                           setting.Choices.TotalBytes / parameters.FileSize > MaxFileCount;
      return Refusal{tooMany ? RunMessages::TooManyFiles : RunMessages::FileLargerThanTotal};
    }
    return RoomFor(setting);
  }

private:
  // A total given in bytes can be far beyond the disk: refused before the
  // first byte, rather than found out when the disk is full. Kept test files
  // are looked up only when the free space alone falls short.
  static std::optional<Refusal> RoomFor(RunSetting& setting) {
    const RunChoices& choices = setting.Choices;
    const platform::DeviceIdentity& device = setting.Device;
    const std::int64_t totalBytes =
        static_cast<std::int64_t>(setting.Parameters.FileSize) * setting.Parameters.FileCount;
    const std::int64_t margin = FreeSpaceMargin(device.FreeBytes, device.CapacityBytes);
    if (choices.TotalBytes <= 0 || choices.ReadOnly || device.FreeBytes < 0 ||
        totalBytes <= device.FreeBytes - margin) {
      return std::nullopt;
    }
    const std::int64_t kept =
        KeptTestFiles(setting.Files, setting.Folder, 1, setting.Parameters.FileCount).Bytes;
    if (totalBytes <= device.FreeBytes + kept - margin) return std::nullopt;
    const std::string total = TotalText(choices.TotalBytes);
    const std::string free = ApproximateSize(device.FreeBytes);
    const std::string room = ApproximateSize(margin);
    char text[512];
    if (kept > 0) {
      std::snprintf(text, sizeof text, RunMessages::NoRoomForTotalWithKept, total.c_str(),
                    free.c_str(), ApproximateSize(kept).c_str(), room.c_str());
    } else {
      std::snprintf(text, sizeof text, RunMessages::NoRoomForTotal, total.c_str(), free.c_str(),
                    room.c_str());
    }
    // Removed while still locked, so no other run can have moved in.
    if (choices.DeleteFiles) platform::BestEffort(setting.Files.RemoveFolder(setting.RunFolder));
    return Refusal{text};
  }
};

// An outcome with no message.
RunOutcome EndedAs(RunOutcome::Kind kind) {
  RunOutcome outcome;
  outcome.Result = kind;
  return outcome;
}

std::unique_ptr<RunVariant> VariantFor(const RunChoices& choices) {
  if (choices.Fill) return std::make_unique<WholeDriveCheck>();
  return std::make_unique<OrdinaryRun>();
}

}  // namespace

BenchmarkRun::BenchmarkRun(const RunChoices& choices, PatternBuffer& buffer, Generator& generator,
                           RunObserver& observer, RunEnvironment& environment,
                           char decimalSeparator)
    : choices_(choices),
      observer_(observer),
      environment_(environment),
      generator_(generator),
      parameters_(choices.Parameters),
      table_(decimalSeparator),
      transfers_(environment.Files(), buffer, stop_),
      verifier_(buffer, [&environment] { return environment.Now(); }),
      variant_(VariantFor(choices)) {}

void BenchmarkRun::EnterPhase(RunPhase phase, std::int32_t repetition) {
  progress_.Phase.store(phase, std::memory_order_relaxed);
  progress_.Repetition.store(repetition, std::memory_order_relaxed);
  progress_.File.store(0, std::memory_order_relaxed);
  observer_.PhaseChanged(phase, repetition);
}

RunOutcome BenchmarkRun::Fail(MessageKind box, std::string message) {
  return RunOutcome{RunOutcome::Kind::Stopped, box, std::move(message)};
}

RunOutcome BenchmarkRun::Interrupt() { return EndedAs(RunOutcome::Kind::Interrupted); }

RunOutcome BenchmarkRun::FailTransfer(TransferStatus status, const char* text) {
  const std::string reason = status == TransferStatus::NotRegular ? RunMessages::NotRegular
                             : status == TransferStatus::HardLinked
                                 ? RunMessages::HardLinked
                                 : platform::ErrorText(transfers_.LastErrorCode);
  return Fail(MessageKind::Plain, RunMessages::WithReason(path_ + text, reason));
}

BenchmarkRun::Ending BenchmarkRun::OpenFolder() {
  const platform::FolderResult folder = environment_.Files().OpenRunFolder(runFolder_);
  if (folder.error == platform::IoError::Busy) {
    return Fail(MessageKind::Plain, runFolder_ + RunMessages::FolderBusy);
  }
  if (folder.error != platform::IoError::None) {
    const std::string reason = folder.error == platform::IoError::NotRegular
                                   ? runFolder_ + RunMessages::FolderInTheWay
                                   : platform::ErrorText(folder.code);
    return Fail(MessageKind::Plain, RunMessages::WithReason(RunMessages::FolderNotCreated, reason));
  }
  folder_ = folder.handle;
  transfers_.Folder = folder_;
  return std::nullopt;
}

void BenchmarkRun::RemoveRunFolder() {
  // Removed while still locked, so no other run can have moved in.
  // A folder left behind costs nothing but its name.
  platform::BestEffort(environment_.Files().RemoveFolder(runFolder_));
}

void BenchmarkRun::SetPath(std::int32_t number) {
  // The capacity was reserved up front: no allocation inside a timed phase.
  char name[TestFileNameCapacity];
  const int length = FormatTestFileName(number, name);
  path_.resize(runFolder_.size());
  path_.append(name, static_cast<std::size_t>(length));
  verifier_.SetFile(number);
}

TransferStatus BenchmarkRun::Transfer(bool write) {
  const char* path = path_.c_str() + runFolder_.size();  // the name alone
  if (blockSize_ == OneMegabyte) {
    return write ? transfers_.WriteTestFileMB(path, blocksPerFile_)
                 : transfers_.ReadTestFileMB(path, blocksPerFile_);
  }
  return write ? transfers_.WriteTestFileKB(path, blocksPerFile_)
               : transfers_.ReadTestFileKB(path, blocksPerFile_);
}

RunSetting BenchmarkRun::Setting() {
  return RunSetting{environment_.Files(), folder_, runFolder_, device_, choices_, parameters_};
}

void BenchmarkRun::DeleteTestFiles() {
  platform::FileSystem& files = environment_.Files();
  for (std::int32_t j = 1; j <= parameters_.FileCount; ++j) {
    SetPath(j);
    // Cleanup: a file that stays is no reason to fail the run.
    platform::BestEffort(files.RemoveFile(folder_, path_.c_str() + runFolder_.size()));
  }
  RemoveTestFilesFrom(files, folder_, parameters_.FileCount + 1);
}

void BenchmarkRun::RemoveFoldersMade() {
  // Only while the run holds its folder's lock: a run folder this run made
  // but could not lock belongs to the run that did.
  if (foldersMade_.empty() || folder_ == platform::InvalidFolder) return;
  const bool completed = outcome_.Result == RunOutcome::Kind::Completed;
  // A complete run leaves the folders above its own, which the user named.
  RemoveMadeFolders(environment_.Files(),
                    completed ? std::vector<std::string>{foldersMade_.back()} : foldersMade_);
  foldersMade_.clear();
}

void BenchmarkRun::NoticeFallbackOnce() {
  // Said after the phase, never inside its timed interval.
  if (noticeGiven_ || UsedDirectIo()) return;
  noticeGiven_ = true;
  observer_.Notice(platform::FallbackNotice(directRefusal_ == TransferStatus::NoDirectIo));
}

void BenchmarkRun::FallBack(TransferStatus refusal) {
  transfers_.Mode = platform::IoMode::SyncBuffered;
  directRefusal_ = refusal;
}

BenchmarkRun::Ending BenchmarkRun::Wait() {
  EnterPhase(RunPhase::Waiting, progress_.Repetition.load(std::memory_order_relaxed));
  if (!environment_.Pause(parameters_.WaitMSec, stop_)) return Interrupt();
  return std::nullopt;
}

void BenchmarkRun::SampleCounters(platform::CounterSample& sample) {
  if (counterPlan_.Counted()) sample = environment_.ReadCounters(counterPlan_);
}

bool BenchmarkRun::WritesEndShortAt(std::int32_t number) {
  RunSetting setting = Setting();
  if (!variant_->EndsWritesShort(setting, number, path_.c_str() + runFolder_.size(),
                                 transfers_.LastErrorCode)) {
    return false;
  }
  parameters_.FileCount = number - 1;
  progress_.Files.store(number - 1, std::memory_order_relaxed);
  return true;
}

BenchmarkRun::PhaseEnd BenchmarkRun::WritePhase() {
  EnterPhase(RunPhase::Writing, progress_.Repetition.load(std::memory_order_relaxed));
  SampleCounters(countersBefore_);
  double start = environment_.Now();
  recorder_.Start(parameters_.FileCount, parameters_.FileSize, start * SecondsPerDay);
  for (std::int32_t j = 1; j <= parameters_.FileCount; ++j) {
    progress_.File.store(j, std::memory_order_relaxed);
    if (stop_.load(std::memory_order_relaxed)) return Interrupt();
    SetPath(j);
    double opened = KeepFileTimes ? environment_.FileNow() : 0;
    TransferStatus status = Transfer(true);
    if (DirectRefused(status) && UsedDirectIo()) {
      FallBack(status);
      // The refused attempt is not part of the measurement.
      if (j == 1) {
        SampleCounters(countersBefore_);
        start = environment_.Now();
        recorder_.Start(parameters_.FileCount, parameters_.FileSize, start * SecondsPerDay);
      }
      if (KeepFileTimes) opened = environment_.FileNow();
      status = Transfer(true);
    }
    if (KeepFileTimes)
      recorder_.Add(opened * SecondsPerDay, environment_.FileNow() * SecondsPerDay);
    if (status == TransferStatus::Stopped) return Interrupt();
    // A kind of run whose writes may end before the plan (the whole-drive
    // check) goes on with the files before the one that failed.
    if (status == TransferStatus::WriteFailed && j > 1 && WritesEndShortAt(j)) break;
    if (status != TransferStatus::Done) return FailTransfer(status, RunMessages::CannotWrite);
  }
  const double elapsed = environment_.Now() - start;
  SampleCounters(countersAfter_);
  return elapsed;
}

BenchmarkRun::PhaseEnd BenchmarkRun::ReadPhase(const std::int32_t* order, std::int32_t count) {
  EnterPhase(RunPhase::Reading, progress_.Repetition.load(std::memory_order_relaxed));
  // A verified run's checker starts before the start stamp and has checked
  // every block only after the end stamp (or the stop): no check is timed.
  if (verifier_.On()) verifier_.BeginReads();
  PhaseEnd read = TimedReads(order, count);
  if (verifier_.On()) verifier_.EndReads();
  return read;
}

BenchmarkRun::PhaseEnd BenchmarkRun::TimedReads(const std::int32_t* order, std::int32_t count) {
  transfers_.BytesRead = 0;
  SampleCounters(countersBefore_);
  double start = environment_.Now();
  recorder_.Start(count, parameters_.FileSize, start * SecondsPerDay);
  for (std::int32_t k = 0; k < count; ++k) {
    progress_.File.store(k + 1, std::memory_order_relaxed);
    if (stop_.load(std::memory_order_relaxed)) return Interrupt();
    SetPath(order != nullptr ? order[k] : k + 1);
    // The files' stamps run on a clock that stops while the reads wait for
    // the checker: that is not the device's time, neither in a file's
    // latency nor in the timeline's shares, which span several files.
    double opened = KeepFileTimes ? environment_.FileNow() - verifier_.PhaseWaitDays() : 0;
    TransferStatus status = Transfer(false);
    if (DirectRefused(status) && UsedDirectIo()) {
      FallBack(status);
      if (k == 0) {
        transfers_.BytesRead = 0;
        SampleCounters(countersBefore_);
        start = environment_.Now();
        recorder_.Start(count, parameters_.FileSize, start * SecondsPerDay);
      }
      if (KeepFileTimes) opened = environment_.FileNow() - verifier_.PhaseWaitDays();
      status = Transfer(false);
    }
    if (KeepFileTimes) {
      const double closed = environment_.FileNow() - verifier_.PhaseWaitDays();
      recorder_.Add(opened * SecondsPerDay, closed * SecondsPerDay);
    }
    switch (status) {
      case TransferStatus::Done:
        break;
      case TransferStatus::Stopped:
        return Interrupt();
      case TransferStatus::OpenFailed:
      case TransferStatus::NotRegular:
      case TransferStatus::HardLinked:
        return FailTransfer(status, RunMessages::CannotOpen);
      default:
        return FailTransfer(status, RunMessages::CannotRead);
    }
  }
  const double elapsed = environment_.Now() - start - verifier_.PhaseWaitDays();
  SampleCounters(countersAfter_);
  return elapsed;
}

BenchmarkRun::Ending BenchmarkRun::SaveRandomList(const std::vector<std::int32_t>& order) {
  platform::FileSystem& files = environment_.Files();
  const std::string listPath = environment_.RandomListPath();
  auto failed = [&](const std::string& reason = {}) {
    const std::string name = listPath.empty() ? std::string(RandomListName) : listPath;
    std::vector<char> text(name.size() + 64);
    std::snprintf(text.data(), text.size(), RunMessages::ListNotCreated, name.c_str());
    return Fail(MessageKind::Error, RunMessages::WithReason(text.data(), reason));
  };
  // Never a file in whatever the current folder happens to be.
  if (listPath.empty()) return failed(platform::NoUserFolderReason());
  const std::string listFolder = platform::ParentPath(listPath);
  if (!listFolder.empty() && !platform::IsRootPath(listFolder) &&
      !files.MakePrivateDirectories(listFolder).Ok()) {
    return failed();
  }
  const platform::OpenResult file = files.CreateText(listPath.c_str());
  if (file.error != platform::IoError::None) return failed();

  // One name per line, CR LF, in reading order; written in large pieces so
  // that a million names need neither a million calls nor one huge string.
  std::string chunk;
  constexpr std::size_t ChunkBytes = std::size_t{64} * 1024;
  chunk.reserve(ChunkBytes + TestFileNameCapacity + 2);
  bool written = true;
  char name[TestFileNameCapacity];
  for (std::size_t k = 0; k < order.size() && written; ++k) {
    chunk.append(name, static_cast<std::size_t>(FormatTestFileName(order[k], name)));
    chunk += "\r\n";
    if (chunk.size() >= ChunkBytes || k + 1 == order.size()) {
      written =
          files.Write(file.handle, chunk.data(), chunk.size()).error == platform::IoError::None;
      chunk.clear();
    }
  }
  if (!written) {
    platform::BestEffort(files.Close(file.handle));  // abandons the new list; the old one stays
    return failed();
  }
  if (!files.CommitText(file.handle).Ok()) return failed();
  return std::nullopt;
}

void BenchmarkRun::RecordPhase(std::int32_t repetition, bool write, std::int64_t bytes,
                               double elapsedDays) {
  if (repetitionRecords_.size() < static_cast<std::size_t>(repetition)) {
    repetitionRecords_.push_back(RepetitionRecord{repetition, std::nullopt, std::nullopt});
  }
  PhaseRecord phase;
  phase.Seconds = write ? table_.WriteSeconds(repetition) : table_.ReadSeconds(repetition);
  phase.MBPerSecond = ResultTable::MBPerSecond(bytes, phase.Seconds);
  const bool counted = countersBefore_.Result.Ok() && countersAfter_.Result.Ok();
  const std::int64_t deviceBytes = !counted ? -1
                                   : write
                                       ? countersAfter_.WrittenBytes - countersBefore_.WrittenBytes
                                       : countersAfter_.ReadBytes - countersBefore_.ReadBytes;
  // The recorded time is whole milliseconds: only a phase faster than the
  // link even one millisecond slower is surely faster than the link.
  const double slowest = ResultTable::MBPerSecond(bytes, phase.Seconds + 0.001);
  phase.Verdict = Judge(counting_, bytes, deviceBytes, slowest);
  // The phase has only just ended: its start is the recorded time earlier.
  phase.EndUtc = environment_.UtcNow();
  phase.StartUtc = phase.EndUtc - static_cast<std::int64_t>(std::llround(phase.Seconds * 1e6));
  if (KeepFileTimes) phase.Stats = recorder_.Finish();
  if (verifier_.On() && !write) phase.Verification = verifier_.TakePhase();
  phase.ExactSeconds = elapsedDays * SecondsPerDay;
  phase.ExactMBPerSecond = ResultTable::MBPerSecond(bytes, phase.ExactSeconds);
  if (write && !inMemory_)
    phase.Cliff = FindWriteCliff(phase.Stats.Timeline, phase.Stats.Files, parameters_.FileSize);
  (write ? repetitionRecords_.back().Write : repetitionRecords_.back().Read) = std::move(phase);
}

std::int32_t BenchmarkRun::FilesWritten() const {
  // Files before the one in hand when the write phase ended early.
  return !repetitionRecords_.empty() && repetitionRecords_.back().Write
             ? parameters_.FileCount
             : std::max(progress_.File.load(std::memory_order_relaxed) - 1, 0);
}

std::int64_t BenchmarkRun::ReadBytes(std::int32_t repetition) const {
  return repetition >= 1 && repetition <= table_.ReadHalves()
             ? readBytes_[static_cast<std::size_t>(repetition - 1)]
             : 0;
}

std::int64_t BenchmarkRun::MeanReadBytes() const {
  const int phases = table_.ReadHalves();
  if (phases <= 0) return 0;
  std::int64_t sum = 0;
  for (int i = 0; i < phases; ++i) sum += readBytes_[static_cast<std::size_t>(i)];
  return sum / phases;
}

RunRecord BenchmarkRun::Record(const RunOutcome& outcome) const {
  RunRecord record = described_;
  auto item = [](const auto& items, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < items.size()
               ? std::string(items[static_cast<std::size_t>(index)])
               : std::string();
  };
  record.Folder = choices_.Folder;
  record.FileSize = item(FileSizeItems, choices_.FileSizeIndex);
  record.Total = choices_.TotalBytes > 0 ? TotalText(choices_.TotalBytes)
                                         : item(TotalSizeItems, choices_.TotalSizeIndex);
  record.Block = BlockItems[blockSize_ == OneMegabyte ? 1 : 0];
  record.ReadPercent = item(ReadPercentageItems, choices_.ReadPercentageIndex);
  record.Repeat = repetitions_;
  record.WaitSeconds = parameters_.WaitMSec / 1000;
  record.ReadOnly = choices_.ReadOnly;
  record.Random = choices_.ReadRandom;
  record.Delete = choices_.DeleteFiles;
  record.FileSizeBytes = parameters_.FileSize;
  record.FileCount = parameters_.FileCount;
  record.ReadCount = readCount_;
  record.Device = device_;
  record.Counting = counting_;
  record.IoMode = UsedDirectIo() ? "direct"
                  : directRefusal_ == TransferStatus::NoDirectIo
                      ? "buffered: the file system has no direct I/O"
                      : "buffered: sectors above 1 KB";
  record.Table = table_.Text();
  record.Repetitions = repetitionRecords_;
  record.Verified = verifier_.On();
  const bool readBack = !repetitionRecords_.empty() && repetitionRecords_.back().Read;
  variant_->Complete(record, FilesWritten(), parameters_.FileSize, readBack);
  if (outcome.Result == RunOutcome::Kind::Completed && repetitions_ > 0) {
    std::vector<double> writes, reads;
    for (int i = 1; i <= repetitions_; ++i) {
      writes.push_back(table_.WriteSeconds(i));
      reads.push_back(table_.ReadSeconds(i));
    }
    const std::int64_t fileBytes = parameters_.FileSize;
    if (!choices_.ReadOnly) {
      record.MeanWriteMBps =
          ResultTable::Summarize(writes.data(), repetitions_, fileBytes * parameters_.FileCount)
              .MBPerSecond;
    }
    record.MeanReadMBps =
        ResultTable::Summarize(reads.data(), repetitions_, MeanReadBytes()).MBPerSecond;
  }
  switch (outcome.Result) {
    case RunOutcome::Kind::Completed:
      record.Result = "completed";
      break;
    case RunOutcome::Kind::Interrupted:
      record.Result = "interrupted";
      break;
    default:
      record.Result = "stopped";
      record.Message = outcome.Message;
  }
  return record;
}

RunOutcome BenchmarkRun::Execute() {
  if (Ending ended = Prepare()) return End(std::move(*ended));
  for (std::int32_t i = 1; i <= repetitions_; ++i) {
    if (Ending ended = Repeat(i)) return End(std::move(*ended));
  }
  Conclude();
  return End(RunOutcome{});
}

BenchmarkRun::Ending BenchmarkRun::Prepare() {
  outcome_ = RunOutcome{};
  filesMayExist_ = false;
  foldersMade_.clear();
  EnterPhase(RunPhase::Preparing, 0);
  if (choices_.Folder.empty()) return EndedAs(RunOutcome::Kind::Ended);
  if (Ending ended = MakeRunFolder()) return ended;
  if (Ending ended = OpenFolder()) return ended;
  Survey();
  RunSetting setting = Setting();
  if (std::optional<Refusal> refused = variant_->Size(setting)) {
    return Fail(MessageKind::Plain, std::move(refused->Message));
  }
  return PlanRepetitions();
}

BenchmarkRun::Ending BenchmarkRun::MakeRunFolder() {
  runFolder_ = RunFolderFor(choices_.Folder, choices_.PerHost);
  // Longer than the system takes, creation would fail only after making
  // a long chain of folders.
  if (runFolder_.size() + TestFileNameCapacity > platform::MaxPathLength()) {
    return Fail(MessageKind::Plain,
                RunMessages::WithReason(RunMessages::FolderNotCreated, RunMessages::PathTooLong));
  }
  const FolderCreation made = ForceDirectories(environment_.Files(), runFolder_);
  if (made.Ok()) {
    foldersMade_ = made.made;
    return std::nullopt;
  }
  std::string reason = made.Text();
  if (platform::IsReservedDeviceName(platform::FileNameOf(made.refused))) {
    reason = made.refused + RunMessages::ReservedDeviceName;
  } else if (platform::IsExistsError(made.code)) {
    reason = made.refused + RunMessages::NotAFolderInTheWay;
  }
  return Fail(MessageKind::Plain, RunMessages::WithReason(RunMessages::FolderNotCreated, reason));
}

void BenchmarkRun::Survey() {
  device_ = environment_.Identify(runFolder_);
  counterPlan_ = environment_.PlanCounters(runFolder_);
  counting_ = CountingFor(counterPlan_);
  environment_.Describe(described_);
  repetitionRecords_.clear();
  inMemory_ = environment_.Files().IsInMemory(folder_);
  if (inMemory_) {
    observer_.Notice(RunMessages::InMemory);
  } else if (const std::string below = MemoryNotice(counterPlan_); !below.empty()) {
    inMemory_ = true;
    observer_.Notice(below);
  }
}

BenchmarkRun::Ending BenchmarkRun::PlanRepetitions() {
  blockSize_ = BlockSizeFor(choices_.OneMegabyteBlocks, parameters_.FileSize);
  blocksPerFile_ = parameters_.FileSize / blockSize_;
  const std::optional<std::int32_t> repetitions = RepetitionsFor(choices_.RepeatIndex);
  if (!repetitions) return EndedAs(RunOutcome::Kind::Ended);
  repetitions_ = *repetitions;
  progress_.Repetitions.store(repetitions_, std::memory_order_relaxed);
  progress_.Files.store(parameters_.FileCount, std::memory_order_relaxed);
  progress_.FileBytes.store(parameters_.FileSize, std::memory_order_relaxed);
  path_.reserve(runFolder_.size() + TestFileNameCapacity);
  path_ = runFolder_;
  table_.Reset();
  filesMayExist_ = true;
  if (choices_.Verify) {
    verifier_.Begin(choices_.ReadOnly);
    transfers_.Verifier = &verifier_;
  }
  readBytes_.fill(0);
  return std::nullopt;
}

BenchmarkRun::Ending BenchmarkRun::Repeat(std::int32_t repetition) {
  progress_.Repetition.store(repetition, std::memory_order_relaxed);
  if (stop_.load()) return Interrupt();
  if (parameters_.WaitMSec != 0 && repetition != 1) {
    if (Ending ended = Wait()) return ended;
  }
  if (Ending ended = WriteHalf(repetition)) return ended;
  if (parameters_.WaitMSec != 0) {
    if (Ending ended = Wait()) return ended;
  }
  if (Ending ended = ReadHalf(repetition)) return ended;
  if (choices_.DeleteFiles) {
    EnterPhase(RunPhase::Deleting, repetition);
    DeleteTestFiles();
  }
  return std::nullopt;
}

BenchmarkRun::Ending BenchmarkRun::WriteHalf(std::int32_t repetition) {
  double elapsed = 0;  // a read-only run writes nothing and records 0
  if (!choices_.ReadOnly) {
    PhaseEnd written = WritePhase();
    if (RunOutcome* ended = std::get_if<RunOutcome>(&written)) return std::move(*ended);
    elapsed = std::get<double>(written);
  }
  const std::int64_t writeBytes =
      static_cast<std::int64_t>(parameters_.FileSize) * parameters_.FileCount;
  table_.AppendWriteHalf(repetition, elapsed, writeBytes);
  if (!choices_.ReadOnly) RecordPhase(repetition, true, writeBytes, elapsed);
  observer_.ResultTextChanged(table_.Text());
  NoticeFallbackOnce();
  return std::nullopt;
}

BenchmarkRun::Ending BenchmarkRun::ReadHalf(std::int32_t repetition) {
  readCount_ =
      ReadCountFor(parameters_.FileCount, parameters_.ReadPercent, choices_.ReadPercentageIndex);
  if (readCount_ < 1) return Fail(MessageKind::Plain, RunMessages::ReadShareTooSmall);
  progress_.Files.store(readCount_, std::memory_order_relaxed);

  PhaseEnd read;
  if (choices_.ReadRandom) {
    EnterPhase(RunPhase::Selecting, repetition);
    const std::vector<std::int32_t> order =
        SelectRandomOrder(generator_, parameters_.FileCount, readCount_);
    if (Ending ended = SaveRandomList(order)) return ended;
    read = ReadPhase(order.data(), readCount_);
  } else {
    read = ReadPhase(nullptr, readCount_);
  }
  // What came back: a verified run goes on past files found short, and
  // its speed and verdict count only the bytes really read.
  std::int64_t& readBytes = readBytes_[static_cast<std::size_t>(repetition - 1)];
  readBytes = transfers_.BytesRead;
  if (RunOutcome* ended = std::get_if<RunOutcome>(&read)) return std::move(*ended);
  const double elapsed = std::get<double>(read);
  table_.AppendReadHalf(repetition, elapsed, readBytes);
  RecordPhase(repetition, false, readBytes, elapsed);
  observer_.ResultTextChanged(table_.Text());
  NoticeFallbackOnce();
  progress_.Files.store(parameters_.FileCount, std::memory_order_relaxed);
  return std::nullopt;
}

void BenchmarkRun::Conclude() {
  const std::int64_t writeBytes =
      static_cast<std::int64_t>(parameters_.FileSize) * parameters_.FileCount;
  table_.AppendSummaries(repetitions_, choices_.ReadOnly, writeBytes, MeanReadBytes());
  observer_.ResultTextChanged(table_.Text());
  if (choices_.DeleteFiles) {
    RemoveRunFolder();
    return;
  }
  const KeptFiles higher =
      KeptTestFiles(environment_.Files(), folder_, parameters_.FileCount + 1, MaxTestFiles);
  if (higher.Count == 0) return;
  // Kept, as asked, but not silently: they are no part of this run.
  char text[512];
  std::snprintf(text, sizeof text, RunMessages::HigherFilesLeft, static_cast<int>(higher.Count),
                ApproximateSize(higher.Bytes).c_str(),
                TestFileName(parameters_.FileCount + 1).c_str());
  observer_.Notice(text);
}

RunOutcome BenchmarkRun::End(RunOutcome outcome) {
  outcome_ = std::move(outcome);
  const bool completed = outcome_.Result == RunOutcome::Kind::Completed;
  // A kind of run may keep what its verifier found before the files go.
  variant_->Ended(verifier_, completed);
  // However a run stops once it has test files (a failed write or read, a
  // list that could not be saved, a stop request), it leaves nothing
  // behind when the user asked for deletion: a full disk must not stay
  // full of them. A whole-drive check deletes them whatever was chosen.
  if (filesMayExist_ && !completed && variant_->ClearsWhenStopped(choices_)) {
    DeleteTestFiles();
    RemoveRunFolder();
  }
  RemoveFoldersMade();
  environment_.Files().CloseFolder(folder_);
  folder_ = platform::InvalidFolder;
  progress_.Phase.store(RunPhase::Finished, std::memory_order_relaxed);
  observer_.PhaseChanged(RunPhase::Finished, progress_.Repetition.load());
  return outcome_;
}

}  // namespace tarnwell
