// One benchmark run: from the snapshot of the user's choices to the result
// table. For each repetition it writes the test files, pauses, reads back all
// or a share of them (in name order or random order), times both phases and
// reports each half row; after the last repetition it adds the summaries.
//
// The run never touches a window. It reports through a RunObserver and ends
// with a RunOutcome that carries any message the window must show, so it can
// run on a worker thread and never waits for a person. A stop request (from
// any thread) ends it between two blocks or inside a pause.
//
// Errors in the engine: a run reports every failure through its RunOutcome
// (the message the user reads, the system's reason on a line of its own);
// the engine's helpers pass on the platform layer's Status and results (see
// platform/Error.h) and never read a thread-global error. `bool` answers
// yes/no, `std::optional` is a value or nothing; nothing here throws.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "engine/base/Refusal.h"
#include "engine/model/PhaseStats.h"
#include "engine/model/RunParameters.h"
#include "engine/model/RunRecord.h"
#include "engine/run/Choices.h"
#include "engine/run/ResultTable.h"
#include "engine/run/TestFiles.h"
#include "engine/verify/Generator.h"
#include "engine/verify/PatternBuffer.h"
#include "engine/verify/RunVerifier.h"
#include "platform/DeviceCounters.h"
#include "platform/FileSystem.h"

namespace tarnwell {

enum class RunPhase { Idle, Preparing, Writing, Waiting, Selecting, Reading, Deleting, Finished };

// What a progress display calls a phase.
const char* RunPhaseText(RunPhase phase);

// Where the run is; published with relaxed atomics so that a display thread
// can poll it without ever slowing a timed phase.
struct RunProgress {
  std::atomic<RunPhase> Phase{RunPhase::Idle};
  std::atomic<std::int32_t> Repetition{0};
  std::atomic<std::int32_t> Repetitions{0};
  std::atomic<std::int32_t> File{0};
  std::atomic<std::int32_t> Files{0};
  std::atomic<std::int32_t> FileBytes{0};  // each test file's size, once the run knows it
};

enum class MessageKind {
  Plain,  // the plain message box
  Error,  // the error box
};

struct RunOutcome {
  enum class Kind {
    Completed,
    // Ended with a message for the user.
    Stopped,
    // Ended early without a message: empty folder text, no repetition choice.
    Ended,
    // Ended by a stop request.
    Interrupted,
  };
  Kind Result = Kind::Completed;
  MessageKind Box = MessageKind::Plain;
  std::string Message;  // empty unless Stopped
};

class RunObserver {
public:
  virtual ~RunObserver() = default;
  // The result text so far, after each half row and after the summaries.
  virtual void ResultTextChanged(const std::string& text) = 0;
  // The run entered another phase (never called inside a timed interval).
  virtual void PhaseChanged(RunPhase /*phase*/, std::int32_t /*repetition*/) {}
  // Something the user must know about the measurement itself.
  virtual void Notice(const std::string& /*text*/) {}
};

// The services a run uses, replaceable in tests.
class RunEnvironment {
public:
  virtual ~RunEnvironment() = default;
  virtual platform::FileSystem& Files();
  virtual double Now();
  // The stamps around each file, from the same clock as the phase's own.
  virtual double FileNow() { return Now(); }
  // False when the pause was cut short by a stop request.
  virtual bool Pause(std::int32_t milliseconds, const std::atomic<bool>& stop);
  // Where the random read order is saved; empty when there is no place.
  virtual std::string RandomListPath();
  // The file system and device of the run's folder, before the run.
  virtual platform::DeviceIdentity Identify(const std::string& folder);
  // When and where: the record's date, host and system texts.
  virtual void Describe(RunRecord& record);
  // The devices beneath the run's folder, planned before the run, and their
  // counters, read just outside each phase's timed interval.
  virtual platform::CounterPlan PlanCounters(const std::string& folder);
  virtual platform::CounterSample ReadCounters(const platform::CounterPlan& plan);
  // The wall clock in microseconds since 1970 (UTC), for the phases' times.
  virtual std::int64_t UtcNow();
};

// Messages of the run, as the user reads them.
namespace RunMessages {
inline constexpr const char* FolderNotCreated = "テンポラリ・ディレクトリを作成できませんでした";
inline constexpr const char* FileLargerThanTotal = "1ファイルの大きさが総容量を超えています";
inline constexpr const char* TooManyFiles =
    "総容量に比べてファイルが小さすぎます（1 回の測定は 1,048,576 ファイルまで）";
// The total, the free space, the margin left free (which may exceed it).
inline constexpr const char* NoRoomForTotal =
    "総容量 %s は空き容量に収まりません（空き容量 %s。ファイルシステムのために %s を空けて"
    "おく必要があります）";
// The total, the free space, what kept test files hold, the margin.
inline constexpr const char* NoRoomForTotalWithKept =
    "総容量 %s は空き容量に収まりません（空き容量 %s と、上書きされる前回のテストファイルの %s。"
    "ファイルシステムのために %s を空けておく必要があります）";
// A run that keeps its files, where an earlier run left more under higher
// numbers: the count, their size, the first name.
inline constexpr const char* HigherFilesLeft =
    "この測定より番号の大きいテストファイルが %d 個（%s）残っています（%s から）。"
    "以前の測定が途中で終わったときのものです";
inline constexpr const char* ReadShareTooSmall = "ファイルの数に比べて、読み込み％が過小です";
inline constexpr const char* CannotOpen = "を開けません";
inline constexpr const char* CannotWrite = "に書き込めません";
inline constexpr const char* CannotRead = "を読み込めません";
inline constexpr const char* ListNotCreated = "ファイル %s を作成できません.";
inline constexpr const char* FolderBusy = "は別の測定が使用中です";
inline constexpr const char* NotRegular =
    "通常のファイルではありません（FIFO、デバイス、リンクなど）";
inline constexpr const char* HardLinked =
    "ほかの名前からもリンクされたファイルです（ハードリンク）";
inline constexpr const char* FolderInTheWay = "シンボリックリンクか、フォルダではないものです";
inline constexpr const char* PathTooLong = "パスが長すぎます";
// Where the system's words for a refused folder would mislead ("the file
// exists"): the folder's path, then the real cause.
inline constexpr const char* ReservedDeviceName = "は予約されたデバイス名です";
inline constexpr const char* NotAFolderInTheWay =
    "には、フォルダではないもの（ファイルなど）があります";
// The priority class the user chose was refused.
inline constexpr const char* PriorityFailed = "優先度の設定に失敗しました";
inline constexpr const char* InMemory =
    "このフォルダはメモリ上のファイルシステム (tmpfs など) にあります。"
    "測定されるのはデバイスではなくメモリの速度です。";
// The message's own text, and the system's reason on a line of its own.
std::string WithReason(const std::string& text, const std::string& reason);
}  // namespace RunMessages

// What a kind of run is given to size itself and to note a write that fell
// short: the run's locked folder, the device under it and what it will do.
struct RunSetting {
  platform::FileSystem& Files;
  platform::FolderHandle Folder;
  const std::string& RunFolder;
  const platform::DeviceIdentity& Device;
  RunChoices& Choices;
  RunParameters& Parameters;
};

// What sets one kind of run apart from another (the ordinary run, the
// whole-drive check of WholeDriveCheck.h): how its files are sized, whether
// a write that fails partway is its finding, what a run that did not
// complete leaves behind, and what it adds to the record. The steps the
// kinds share stay in BenchmarkRun.
class RunVariant {
public:
  virtual ~RunVariant() = default;
  // Sizes the test files in `setting.Parameters`, or the message that stops
  // the run before its first byte.
  virtual std::optional<Refusal> Size(RunSetting& setting) = 0;
  // The write of file `number` (after the first, named `name`) failed with
  // the system's `code`: true when the write phase ends there with the files
  // before it, the reason noted; false when the run stops. Called inside the
  // write phase's timed interval, on that failure alone.
  virtual bool EndsWritesShort(RunSetting& /*setting*/, std::int32_t /*number*/,
                               const char* /*name*/, int /*code*/) {
    return false;
  }
  // Whether a run with test files that did not complete deletes them.
  virtual bool ClearsWhenStopped(const RunChoices& choices) const { return choices.DeleteFiles; }
  // The run ended (`completed` or not), before a stopped run's files go:
  // what the verifier had found so far is still there.
  virtual void Ended(RunVerifier& /*verifier*/, bool /*completed*/) {}
  // The record's part of this kind: `filesWritten` of `fileSize`,
  // `readBack` when the read phase ended.
  virtual void Complete(RunRecord& /*record*/, std::int32_t /*filesWritten*/,
                        std::int32_t /*fileSize*/, bool /*readBack*/) const {}
};

class BenchmarkRun {
public:
  BenchmarkRun(const RunChoices& choices, PatternBuffer& buffer, Generator& generator,
               RunObserver& observer, RunEnvironment& environment, char decimalSeparator = '.');

  RunOutcome Execute();
  // Safe from any thread, and from a signal handler through StopFlag().
  void RequestStop() { stop_.store(true); }
  std::atomic<bool>& StopFlag() { return stop_; }

  // FileSize and FileCount as the run derived them; the rest as given.
  const RunParameters& Parameters() const { return parameters_; }
  const ResultTable& Table() const { return table_; }
  const RunProgress& Progress() const { return progress_; }
  std::int32_t Repetitions() const { return repetitions_; }
  std::int32_t ReadCount() const { return readCount_; }
  // The bytes the read phase of repetition `repetition` (from 1) brought
  // back: those of ReadCount files, or fewer where a verified run found
  // files short. Their mean over the repetitions read is what the read
  // summary's throughput rests on.
  std::int64_t ReadBytes(std::int32_t repetition) const;
  std::int64_t MeanReadBytes() const;
  // False once the file system refused direct I/O and the run fell back.
  bool UsedDirectIo() const { return transfers_.Mode == platform::IoMode::Direct; }
  // Whether each file's open-to-close time is kept (latency percentiles and
  // the timeline); off only to show what keeping them costs.
  bool KeepFileTimes = true;
  // Everything about the run once Execute has returned, for the history,
  // the JSON and the report.
  RunRecord Record(const RunOutcome& outcome) const;

private:
  // A step of the run ends it with its outcome, or lets the next one go on.
  using Ending = std::optional<RunOutcome>;
  // A timed phase: its time in days, or how the run ended inside it.
  using PhaseEnd = std::variant<double, RunOutcome>;

  // The steps of Execute: before the first repetition, one repetition, after
  // the last, and what every run does however it ended.
  Ending Prepare();
  Ending MakeRunFolder();
  void Survey();
  Ending PlanRepetitions();
  Ending Repeat(std::int32_t repetition);
  Ending WriteHalf(std::int32_t repetition);
  Ending ReadHalf(std::int32_t repetition);
  void Conclude();
  RunOutcome End(RunOutcome outcome);

  Ending Wait();
  PhaseEnd WritePhase();
  // The write of file `number` (after the first) failed: true when this kind
  // of run ends the write phase there, with the files before it.
  bool WritesEndShortAt(std::int32_t number);
  // What the reads brought back is in transfers_.BytesRead.
  PhaseEnd ReadPhase(const std::int32_t* order, std::int32_t count);
  PhaseEnd TimedReads(const std::int32_t* order, std::int32_t count);
  // A refused direct transfer, before it is tried again buffered.
  void FallBack(TransferStatus refusal);
  // Keeps a phase's figures for the record, after its timed interval.
  void RecordPhase(std::int32_t repetition, bool write, std::int64_t bytes, double elapsedDays);
  // The devices' counters, read before a phase's start stamp and after its end.
  void SampleCounters(platform::CounterSample& sample);
  Ending SaveRandomList(const std::vector<std::int32_t>& order);
  TransferStatus Transfer(bool write);
  void SetPath(std::int32_t number);
  RunSetting Setting();
  // Deletes the run's test files, and those an earlier run left under the
  // numbers that follow (a run killed before it could delete them).
  void DeleteTestFiles();
  // After the test files: the folders the run made and left empty go (all
  // of them when it did not complete, else the run folder alone).
  void RemoveFoldersMade();
  void EnterPhase(RunPhase phase, std::int32_t repetition);
  void NoticeFallbackOnce();
  static RunOutcome Fail(MessageKind box, std::string message);
  RunOutcome FailTransfer(TransferStatus status, const char* text);
  static RunOutcome Interrupt();
  Ending OpenFolder();
  void RemoveRunFolder();
  // The files written before the one in hand when the write phase ended.
  std::int32_t FilesWritten() const;

  RunChoices choices_;
  RunObserver& observer_;
  RunEnvironment& environment_;
  Generator& generator_;
  RunParameters parameters_;
  ResultTable table_;
  RunProgress progress_;
  std::atomic<bool> stop_{false};
  TestFileTransfers transfers_;
  RunVerifier verifier_;
  RunOutcome outcome_;
  std::unique_ptr<RunVariant> variant_;

  PhaseRecorder recorder_;
  std::vector<RepetitionRecord> repetitionRecords_;
  platform::DeviceIdentity device_;
  platform::CounterPlan counterPlan_;
  DeviceCounting counting_;
  platform::CounterSample countersBefore_;
  platform::CounterSample countersAfter_;
  RunRecord described_;  // date, host and system, taken as the run starts
  std::string runFolder_;
  platform::FolderHandle folder_ = platform::InvalidFolder;
  std::string path_;  // run folder + the current test file's name
  std::int32_t blocksPerFile_ = 0;
  std::int32_t blockSize_ = 0;
  std::int32_t repetitions_ = 0;
  std::int32_t readCount_ = 0;
  std::array<std::int64_t, ResultTable::MaxRepetitions> readBytes_{};
  // How direct I/O was refused, once it was: NoDirectIo or DirectUnsupported.
  TransferStatus directRefusal_ = TransferStatus::Done;
  std::vector<std::string> foldersMade_;  // outermost first; the run folder last
  bool noticeGiven_ = false;
  bool inMemory_ = false;  // no device, so no device's write cache to find
  // From the first repetition on, a stop cleans up as the run's end would.
  bool filesMayExist_ = false;
};

}  // namespace tarnwell
