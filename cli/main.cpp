// tarnwell-cli: the benchmark without a window. stdout receives the result
// text as the window's memo shows it (LF line ends), growing as the run goes;
// stderr receives a live progress line on a terminal, notices and the stop
// message.
//
// Errors here: each failure ends on stderr ("tarnwell-cli: TEXT", the
// system's reason from the run's outcome or the platform layer's Status on
// a line of its own) and in the exit code.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <variant>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliTexts.h"
#include "cli/JsonReport.h"
#include "cli/MergeCommand.h"
#include "cli/SavedChoices.h"
#include "cli/StartAt.h"
#include "engine/base/Refusal.h"
#include "engine/base/TextFormat.h"
#include "engine/base/UtcTime.h"
#include "engine/base/Utf8.h"
#include "engine/judge/VerifyNotes.h"
#include "engine/output/AfterRun.h"
#include "engine/output/RunHistory.h"
#include "engine/run/BenchmarkRun.h"
#include "engine/run/UnitMSec.h"
#include "engine/run/WholeDriveCheck.h"
#include "platform/AtomicFile.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Priority.h"
#include "platform/Signals.h"
#include "platform/Sleep.h"
#include "platform/SystemIdentity.h"
#include "platform/Terminal.h"
#include "platform/TextFiles.h"

#ifndef TARNWELL_VERSION
#define TARNWELL_VERSION "0.0.0"
#endif

namespace tarnwell::cli {
namespace {

constexpr int ExitCompleted = 0;
constexpr int ExitStopped = 1;
constexpr int ExitUsage = 2;
constexpr int ExitInterrupted = 130;
// The run completed but the data it read back did not verify.
constexpr int ExitUnverified = 3;
// A whole-drive check could not fill what it planned; what it wrote verified.
constexpr int ExitNotFilled = 4;

// CR LF as the memo has it, LF as a terminal and a pipe want it.
std::string WithLineFeeds(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    result += text[i];
  }
  return result;
}

class ConsoleObserver final : public RunObserver {
public:
  // `wholeLines`: print only complete lines as they come, because a progress
  // line drawn on the same terminal would overwrite a half row.
  ConsoleObserver(bool printTable, bool wholeLines, std::mutex& console)
      : printTable_(printTable), wholeLines_(wholeLines), console_(console) {}

  void ResultTextChanged(const std::string& text) override {
    if (!printTable_) return;
    // The text only grows during a run (repetition 1 starts it afresh).
    pending_ += WithLineFeeds(text.size() >= shown_ ? text.substr(shown_) : text);
    shown_ = text.size();
    const std::size_t end = wholeLines_ ? pending_.rfind('\n') + 1 : pending_.size();
    if (end == 0) return;  // no complete line yet
    std::lock_guard lock(console_);
    ClearProgressLine();
    std::fwrite(pending_.data(), 1, end, stdout);
    Sent();
    pending_.erase(0, end);
  }

  void Notice(const std::string& text) override {
    std::lock_guard lock(console_);
    ClearProgressLine();
    std::fprintf(stderr, "%s\n", text.c_str());
  }

  // The memo shows the text as one more line.
  void Finish() {
    if (printTable_ && shown_ > 0 && !lost_) {
      std::fputs((pending_ + "\n").c_str(), stdout);
      Sent();
      pending_.clear();
    }
  }

  // After this, a table that cannot be written stops the run through `stop`.
  void StopWhenLost(std::atomic<bool>& stop) { stop_ = &stop; }
  // Whether a table write failed (a closed pipe, a full disk), and why.
  bool OutputLost() const { return lost_; }
  const std::string& LostReason() const { return lostReason_; }

  bool ProgressShown = false;

  void ClearProgressLine() {
    if (!ProgressShown) return;
    std::fputs("\r\033[K", stderr);
    ProgressShown = false;
  }

private:
  // Flushes the table's new rows; a table nobody receives stops the run at
  // once rather than measuring for no one.
  void Sent() {
    const platform::Status flushed = platform::FlushStandardOutput();
    if (flushed.Ok() || lost_) return;
    lost_ = true;
    lostReason_ = flushed.Text();
    if (stop_ != nullptr) stop_->store(true);
  }

  bool printTable_;
  bool wholeLines_;
  std::mutex& console_;
  std::atomic<bool>* stop_ = nullptr;
  bool lost_ = false;
  std::string lostReason_;
  std::size_t shown_ = 0;
  std::string pending_;  // text not printed yet
};

// Polls the run's progress a few times a second and redraws one line.
class ProgressLine {
public:
  // `fill`: a whole-drive check, whose line tells bytes, speed and time left.
  ProgressLine(const RunProgress& progress, ConsoleObserver& observer, std::mutex& console,
               bool fill = false)
      : progress_(progress),
        observer_(observer),
        console_(console),
        started_(PreciseNow()),
        fill_(fill) {
    thread_ = std::thread([this] { Loop(); });
  }

  ~ProgressLine() {
    {
      std::lock_guard lock(wake_);
      done_ = true;
    }
    wakeup_.notify_all();
    thread_.join();
    std::lock_guard lock(console_);
    observer_.ClearProgressLine();
  }

private:
  void Loop() {
    std::unique_lock lock(wake_);
    while (!wakeup_.wait_for(lock, std::chrono::milliseconds(200), [this] { return done_; })) {
      const RunPhase phase = progress_.Phase.load(std::memory_order_relaxed);
      if (phase == RunPhase::Idle || phase == RunPhase::Finished) continue;
      const char* text = RunPhaseText(phase);
      const double seconds = (PreciseNow() - started_) * 86400.0;
      std::lock_guard consoleLock(console_);
      if (fill_) {
        const std::string line =
            meter_.Line(progress_, progress_.FileBytes.load(std::memory_order_relaxed), seconds);
        std::fprintf(stderr, "\r\033[K%s", line.c_str());
      } else {
        std::fprintf(stderr, progressFormat_.c_str(), text,
                     progress_.Repetition.load(std::memory_order_relaxed),
                     progress_.Repetitions.load(std::memory_order_relaxed),
                     progress_.File.load(std::memory_order_relaxed),
                     progress_.Files.load(std::memory_order_relaxed), seconds);
      }
      std::fflush(stderr);
      observer_.ProgressShown = true;
    }
  }

  const std::string progressFormat_ = std::string("\r\033[K") + CliTexts::Progress;
  const RunProgress& progress_;
  ConsoleObserver& observer_;
  std::mutex& console_;
  double started_;
  bool fill_;
  FillMeter meter_;
  std::mutex wake_;
  std::condition_variable wakeup_;
  bool done_ = false;
  std::thread thread_;
};

// "/dev/null", or "NUL" as Windows spells it: no settings at all.
bool IsNullDevice(const std::string& path) {
  return path == "/dev/null" || path == "NUL" || path == "nul";
}

// "tarnwell-cli: TEXT", and the system's reason on a line of its own.
void Complain(const std::string& text, const std::string& reason = {}) {
  std::fprintf(stderr, "tarnwell-cli: %s\n", RunMessages::WithReason(text, reason).c_str());
}

// A text of CliTexts with its placeholders filled in.
// A file the runner writes or reads, as the user named it; `kind` is the
// text that names it in a message (CliTexts::ReportFile, ...).
struct NamedFile {
  const char* kind;
  std::string path;
  bool output;
  // The standard output, open already: it can be the same file as another
  // (`>> history.jsonl`), and is not checked further.
  bool standardOutput = false;
};

// Why an output cannot be written, as the line under the message says it;
// nothing when nothing stands in the way. The save itself refuses the same
// things again, for whatever changes before it.
std::optional<Refusal> OutputRefusal(const platform::FileIdentity& place) {
  using Kind = platform::FileIdentity::Kind;
  if (!place.Ok()) return Refusal{place.Text()};
  if (place.kind == Kind::Link) return Refusal{platform::SaveRefusal::Link};
  if (place.kind == Kind::Folder) return Refusal{CliTexts::IsAFolder};
  if (place.kind == Kind::Other) return Refusal{platform::SaveRefusal::NotRegular};
  if (place.writeProtected) return Refusal{platform::SaveRefusal::WriteProtected};
  std::string reason = platform::ErrorText(place.cannotWrite);
  if (reason.empty()) return std::nullopt;
  return Refusal{std::move(reason)};
}

// Refuses, before anything is measured, an output that is the same file as
// another output, an input or one of the program's own files, however the
// paths are spelt (writing it would destroy that file: a usage error), and
// an output that cannot be written at all (exit 1, as after a run). Outputs
// are named without following a link (one there is refused), inputs by what
// they lead to. The exit code after saying why, or nothing.
std::optional<int> RefuseUnsafeFiles(const std::vector<NamedFile>& files) {
  std::vector<platform::FileIdentity> places;
  places.reserve(files.size());
  for (const NamedFile& file : files) {
    places.push_back(file.standardOutput ? platform::IdentifyStandardOutput()
                                         : platform::IdentifyFile(file.path, !file.output));
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    for (std::size_t j = 0; j < files.size(); ++j) {
      // Each pair once, with an output first.
      if (!files[i].output || j == i || (files[j].output && j < i)) continue;
      if (!platform::SameFile(places[i], places[j])) continue;
      Complain(FormatText(CliTexts::SameFile, files[i].kind, files[i].path.c_str(), files[j].kind,
                          files[j].path.c_str()) +
               "\n" + CliTexts::SeeHelp);
      return ExitUsage;
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!files[i].output || files[i].standardOutput) continue;
    if (const std::optional<Refusal> refusal = OutputRefusal(places[i])) {
      Complain(files[i].kind + files[i].path + CliTexts::CannotWriteReport, refusal->Message);
      return ExitStopped;
    }
  }
  return std::nullopt;
}

// The program's own files, which no output may replace: the history and the
// window's settings, whether or not this run reads them; and the standard
// output where it goes to a file.
void AddOwnFiles(std::vector<NamedFile>& files) {
  if (platform::IdentifyStandardOutput().kind == platform::FileIdentity::Kind::File) {
    files.push_back({CliTexts::StandardOutput, "", true, true});
  }
  if (const std::string history = HistoryPath(); !history.empty()) {
    files.push_back({CliTexts::HistoryFile, history, false});
  }
  if (const std::string settings = WindowSettingsPath(); !settings.empty()) {
    files.push_back({CliTexts::SettingsFile, settings, false});
  }
}

// Sends what stdout still buffers. Output nobody received (a full disk, a
// closed pipe) is no result: false, with the reason on stderr.
bool FlushOutput() {
  const platform::Status flushed = platform::FlushStandardOutput();
  if (flushed.Ok()) return true;
  Complain(CliTexts::OutputNotWritten, flushed.Text());
  return false;
}

std::string Figure(double value) {
  if (value < 0) return "-";
  char digits[32];
  std::snprintf(digits, sizeof digits, "%.3f", value);
  return digits;
}

// The listing of --history as the history's lines come, newest first.
class HistoryListing {
public:
  explicit HistoryListing(const CliOptions& options) : options_(options) {}

  LineRead Visit(std::string_view line) {
    const std::optional<RunRecord> run =
        ParseHistoryLine(line, options_.Json ? HistoryDetail::Whole : HistoryDetail::Row);
    if (!run) return LineRead::Damaged;
    const std::string device = DeviceLabel(run->Device);
    if (!options_.Match.empty() && device.find(options_.Match) == std::string::npos &&
        run->Folder.find(options_.Match) == std::string::npos) {
      return LineRead::Next;
    }
    Start();
    const std::string text = options_.Json ? JsonEntry(line, *run) : Row(*run, device);
    ++listed_;
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::ferror(stdout) == 0 ? LineRead::Next : LineRead::Stop;
  }

  // The header, or the document's opening, once.
  void Start() {
    if (started_) return;
    started_ = true;
    std::fputs(options_.Json ? "{\"runs\": [" : CliTexts::HistoryHeader, stdout);
  }
  bool Started() const { return started_; }

  // The document's close, with --json.
  void End(int damaged) const {
    if (options_.Json) std::printf("%s], \"damaged\": %d}\n", listed_ > 0 ? "\n" : "", damaged);
  }

private:
  std::string JsonEntry(std::string_view line, const RunRecord& run) const {
    std::string text = listed_ > 0 ? ",\n" : "\n";
    if (IsUtf8(line)) {
      text += line;
    } else {
      text += HistoryLine(run);
    }
    return text;
  }

  static std::string Row(const RunRecord& run, const std::string& device) {
    return PrintableText(run.Date) + "\t" + PrintableText(device) + "\t" +
           PrintableText(run.Folder) + "\t" + PrintableText(run.FileSize) + "\t" +
           PrintableText(run.Total) + "\t" + PrintableText(run.Block) + "\t" +
           Figure(run.MeanWriteMBps) + "\t" + Figure(run.MeanReadMBps) + "\t" +
           PrintableText(run.Result) + "\n";
  }

  const CliOptions& options_;
  bool started_ = false;
  int listed_ = 0;
};

// Earlier runs, newest first: one line each with TABs between the fields
// (escaped, so that no field can fake a row or steer the terminal), or with
// --json one object {"runs": [...], "damaged": N} whose runs have the form
// of the history's lines. The history is read from its end in bounded
// memory and each run written as it comes, however long the file. A row
// needs a few fields, so only they are read and the rest of the line only
// checked as JSON; --json reads every field and then writes the line as it
// stands (UTF-8 throughout, as every line this program writes is) rather
// than anew.
int ListHistory(const CliOptions& options) {
  const std::string path = HistoryPath();
  if (path.empty()) {
    Complain(CliTexts::NoHistoryPlace, platform::NoUserFolderReason());
    return ExitStopped;
  }
  HistoryListing listing(options);
  const HistoryScan scan = ScanHistoryLinesNewestFirst(
      path, [&listing](std::string_view line) { return listing.Visit(line); });
  const std::string cannotRead = CliTexts::HistoryFile + path + CliTexts::CannotRead;
  // A history that is there but cannot be read is not an empty one.
  if (!scan.Read() && !listing.Started()) {
    Complain(cannotRead, FailureReason(scan.Status));
    return ExitStopped;
  }
  listing.Start();
  listing.End(scan.Damaged);
  if (scan.Damaged > 0) {
    std::fprintf(stderr, CliTexts::DamagedSkipped, scan.Damaged);
  }
  if (!scan.Read()) Complain(cannotRead, FailureReason(scan.Status));
  return FlushOutput() && scan.Read() ? ExitCompleted : ExitStopped;
}

// ---- load: the arguments, the saved choices, the outputs ---------------------

// The run to make once the arguments, the saved choices and the outputs
// have been accepted.
struct LoadedRun {
  CliOptions Options;
  std::string Host;  // to record: --host, or the machine's name
};

// An end before any run: a command that is not one, or a refusal said on
// stderr.
struct ExitNow {
  int Code;
};

// A usage error said with the pointer to --help.
ExitNow UsageError(const std::string& error) {
  Complain(error + "\n" + CliTexts::SeeHelp);
  return {ExitUsage};
}

// The arguments over `defaults`, or why they are refused.
RefusalOr<CliOptions> ParseArguments(const std::vector<std::string>& arguments,
                                     const CliOptions& defaults) {
  ParseResult parsed = ParseCliOptions(arguments, defaults);
  if (!parsed.Error.empty()) return Refusal{parsed.Error};
  return std::move(parsed.Options);
}

// Why the common start cannot be waited for, if it cannot.
std::optional<Refusal> StartRefused(std::int64_t requested) {
  std::string refused = StartTimeRefusal(requested, platform::UnixMicrosecondsNow());
  if (refused.empty()) return std::nullopt;
  return Refusal{std::move(refused)};
}

// The window's saved choices as defaults under what the command line says
// (`given`), over `builtIn`; or why they must not be used.
RefusalOr<CliOptions> TakeSavedChoices(const CliOptions& given, const CliOptions& builtIn) {
  CliOptions defaults = builtIn;
  // The null device asks for no settings at all; any other file named on the
  // command line must really be read, or the run would measure a folder
  // the user did not mean.
  if (given.Settings && IsNullDevice(*given.Settings)) return defaults;
  const platform::IniFile settings(given.Settings.value_or(WindowSettingsPath()));
  if (given.Settings &&
      (!settings.ReadStatus().Ok() || !platform::IsReadableFile(*given.Settings))) {
    platform::TextFileReader probe;
    const platform::Status status = probe.Open(*given.Settings);
    return Refusal{
        RunMessages::WithReason(CliTexts::SettingsFile + *given.Settings + CliTexts::CannotRead,
                                status.Ok() ? std::string() : FailureReason(status))};
  }
  // A saved folder is refused only where it would be used.
  if (const std::string refused = ApplySavedChoices(settings, defaults, !given.FolderGiven);
      !refused.empty()) {
    return Refusal{refused + "\n" + CliTexts::NameTheFolder};
  }
  return defaults;
}

// Help, the version, the history's list and the merge: none of these reads
// the window's settings, so a folder saved there has no say in them. Their
// exit code, or nothing for a run.
std::optional<int> OtherCommand(const CliOptions& options) {
  if (options.Help) {
    std::fputs(UsageText(), stdout);
    return FlushOutput() ? ExitCompleted : ExitStopped;
  }
  if (options.Version) {
    std::printf("tarnwell-cli %s\n", TARNWELL_VERSION);
    return FlushOutput() ? ExitCompleted : ExitStopped;
  }
  std::vector<NamedFile> files;
  if (options.ListHistory) {
    AddOwnFiles(files);
    if (const std::optional<int> refused = RefuseUnsafeFiles(files)) return *refused;
    return ListHistory(options);
  }
  if (options.MergeFiles.empty()) return std::nullopt;
  if (!options.Report.empty()) files.push_back({CliTexts::ReportFile, options.Report, true});
  for (const std::string& input : options.MergeFiles) {
    files.push_back({CliTexts::Document, input, false});
  }
  AddOwnFiles(files);
  if (const std::optional<int> refused = RefuseUnsafeFiles(files)) return *refused;
  return MergeDocuments(options) ? ExitCompleted : ExitStopped;
}

// Every output of a run is checked before anything is measured: one found
// wanting after a long run would have cost the run.
std::optional<int> RefuseRunOutputs(const CliOptions& given) {
  std::vector<NamedFile> files;
  if (!given.Report.empty()) files.push_back({CliTexts::ReportFile, given.Report, true});
  if (!given.JsonFile.empty()) files.push_back({CliTexts::JsonFile, given.JsonFile, true});
  if (given.Settings && !IsNullDevice(*given.Settings)) {
    files.push_back({CliTexts::SettingsFile, *given.Settings, false});
  }
  AddOwnFiles(files);
  return RefuseUnsafeFiles(files);
}

// The host to record, and the run folder of its own when asked for.
std::string TakeHost(CliOptions& options) {
  std::string host = options.Host.value_or("");
  if (!options.Host) host = platform::QueryMachineName().ValueOr({});
  if (options.PerHost) options.Choices.PerHost = host.empty() ? "_" : host;
  return host;
}

// The arguments read twice: once over the built-in defaults, for the
// commands that read no settings, and once over the saved choices for a
// run; then the refusals of what the run could not write or wait for.
std::variant<ExitNow, LoadedRun> Load(const std::vector<std::string>& arguments) {
  const CliOptions builtIn = DefaultOptions(platform::HomeDirectory());
  const RefusalOr<CliOptions> given = ParseArguments(arguments, builtIn);
  if (!given) return UsageError(given.Message());
  if (const std::optional<int> done = OtherCommand(*given)) return ExitNow{*done};
  const RefusalOr<CliOptions> defaults = TakeSavedChoices(*given, builtIn);
  if (!defaults) {
    Complain(defaults.Message());
    return ExitNow{ExitUsage};
  }
  RefusalOr<CliOptions> parsed = ParseArguments(arguments, *defaults);
  if (!parsed) return UsageError(parsed.Message());
  if (const std::optional<int> refused = RefuseRunOutputs(*parsed)) return ExitNow{*refused};
  if (parsed->StartAt) {
    if (const std::optional<Refusal> refused = StartRefused(*parsed->StartAt)) {
      return UsageError(refused->Message);
    }
  }
  LoadedRun loaded{std::move(*parsed), {}};
  loaded.Host = TakeHost(loaded.Options);
  // No home folder and no folder named: nothing says where to measure.
  if (loaded.Options.Choices.Folder.empty()) {
    Complain(std::string(CliTexts::NoFolder) + "\n" + platform::NoUserFolderReason() + "\n" +
             CliTexts::NameTheFolder);
    return ExitNow{ExitUsage};
  }
  return loaded;
}

// ---- run: the measurement itself ---------------------------------------------

// A total that is no whole number of files is measured as the files it
// holds; said, so that the figures are read against what was written.
void SayRoundedTotal(const CliOptions& options) {
  const RunChoices& choices = options.Choices;
  if (choices.TotalBytes <= 0 || options.Fill) return;
  const auto sizeIndex = static_cast<std::size_t>(choices.FileSizeIndex);
  const std::int64_t fileSize = FileSizeTable[sizeIndex];
  if (const std::int64_t files = choices.TotalBytes / fileSize;
      files > 0 && choices.TotalBytes % fileSize != 0) {
    std::fputs(FormatText(CliTexts::TotalRoundedDown, TotalText(choices.TotalBytes).c_str(),
                          std::string(FileSizeItems[sizeIndex]).c_str(),
                          static_cast<long long>(files), TotalText(files * fileSize).c_str())
                   .c_str(),
               stderr);
  }
}

void TakePriority(const CliOptions& options) {
  if (options.PriorityIndex >= 0 &&
      !platform::SetPriorityClass(static_cast<platform::PriorityClass>(options.PriorityIndex))
           .Ok()) {
    std::fprintf(stderr, "%s\n", RunMessages::PriorityFailed);
  }
}

// The console the run reports to: the table on stdout, the progress line
// and the notices on stderr.
struct Console {
  explicit Console(const CliOptions& options)
      : ShowProgress(platform::IsErrorStreamTerminal()),
        Observer(!options.Json, ShowProgress && platform::IsOutputStreamTerminal(), Lock) {}
  std::mutex Lock;
  bool ShowProgress;
  ConsoleObserver Observer;
};

// How the measurement ended, and when it started after waiting for a
// common start (-1: it did not wait).
struct Measured {
  RunOutcome Outcome;
  std::int64_t StartedAt = -1;
};

// Waits for a common start with everything but the run itself ready, then
// runs. An interrupt while waiting ends the program before anything was
// made: nothing, after saying so.
std::optional<Measured> Measure(const CliOptions& options, BenchmarkRun& run, Console& console) {
  run.KeepFileTimes = options.KeepFileTimes;
  platform::InstallStopSignals(run.StopFlag());
  console.Observer.StopWhenLost(run.StopFlag());
  Measured measured;
  if (options.StartAt) {
    std::fprintf(stderr, "%s%s\n", CliTexts::WaitingForStart, FormatUtc(*options.StartAt).c_str());
    if (!platform::SleepUntilWallClock(*options.StartAt, run.StopFlag())) {
      std::fprintf(stderr, "%s\n", CliTexts::Interrupted);
      return std::nullopt;
    }
    measured.StartedAt = platform::UnixMicrosecondsNow();
  }
  {
    std::optional<ProgressLine> progress;
    if (console.ShowProgress) {
      progress.emplace(run.Progress(), console.Observer, console.Lock, options.Fill);
    }
    measured.Outcome = run.Execute();
  }
  console.Observer.Finish();
  return measured;
}

// ---- publish: notes, report, document, history, exit code --------------------

// The report as the document tells it.
ReportResult AsReportResult(const std::optional<RefusalOr<std::string>>& report) {
  if (!report) return {};
  if (report->Ok()) return {true, {}};
  return {false, report->Message()};
}

// What the runner writes after a run, around the steps it shares with the
// window. The first output that was lost makes the run end as stopped by
// it, in the exit code, the copy on stdout and the history alike.
class Publication {
public:
  Publication(const CliOptions& options, const BenchmarkRun& run, const ConsoleObserver& observer,
              const RunOutcome& outcome)
      : options_(options), run_(run), observer_(observer), outcome_(outcome) {}

  // The notes under the table, and the table's own loss.
  void Noted(const std::vector<std::string>& notes) {
    for (const std::string& note : notes) std::fprintf(stderr, "%s\n", note.c_str());
    if (observer_.OutputLost()) {
      lostBecause_ = RunMessages::WithReason(CliTexts::OutputNotWritten, observer_.LostReason());
      Complain(CliTexts::OutputNotWritten, observer_.LostReason());
    }
  }

  // The report's failure, the document and the last of stdout; why the run
  // stopped after all, for the history.
  std::optional<std::string> Publish(const RunRecord& record,
                                     const std::optional<RefusalOr<std::string>>& report) {
    // A report that was asked for and not written makes the run a failure.
    if (report && !report->Ok()) {
      Complain(report->Message());
      Lost(report->Message());
    }
    WriteDocument(record, AsReportResult(report));
    // A table nobody received (a full disk, a closed pipe) is no result.
    if (!observer_.OutputLost()) {
      if (const platform::Status flushed = platform::FlushStandardOutput(); !flushed.Ok()) {
        Complain(CliTexts::OutputNotWritten, flushed.Text());
        Lost(RunMessages::WithReason(CliTexts::OutputNotWritten, flushed.Text()));
      }
    }
    if (lostBecause_ &&
        (outcome_.Result == RunOutcome::Kind::Completed || observer_.OutputLost())) {
      return lostBecause_;
    }
    return std::nullopt;
  }

  // Whether an output was lost.
  bool AnyLost() const { return lostBecause_.has_value(); }

private:
  void Lost(const std::string& because) {
    if (!lostBecause_) lostBecause_ = because;
  }

  // --json on stdout and --json-file, from one document.
  void WriteDocument(const RunRecord& record, const ReportResult& report) {
    if (!options_.Json && options_.JsonFile.empty()) return;
    // A run stopped for want of a stdout was stopped by that, not interrupted.
    RunOutcome told = outcome_;
    if (observer_.OutputLost()) {
      told.Result = RunOutcome::Kind::Stopped;
      told.Box = MessageKind::Plain;
      told.Message = *lostBecause_;
    }
    std::string document = JsonReport(options_, run_, told, record, report);
    if (!options_.JsonFile.empty()) {
      if (const std::optional<Refusal> refused = SaveUserOutput(
              options_.JsonFile, document,
              CliTexts::JsonFile + options_.JsonFile + CliTexts::CannotWriteReport)) {
        Complain(refused->Message);
        Lost(refused->Message);
        // The copy on stdout must not call completed what exits 1.
        if (options_.Json && outcome_.Result == RunOutcome::Kind::Completed) {
          RunOutcome failed = outcome_;
          failed.Result = RunOutcome::Kind::Stopped;
          failed.Message = *lostBecause_;
          document = JsonReport(options_, run_, failed, record, report);
        }
      }
    }
    if (options_.Json) std::fputs(document.c_str(), stdout);
  }

  const CliOptions& options_;
  const BenchmarkRun& run_;
  const ConsoleObserver& observer_;
  const RunOutcome& outcome_;
  std::optional<std::string> lostBecause_;
};

// What stands on stderr when the run is not in the history.
void SayHistory(const HistoryOutcome& history, const std::string& path) {
  if (history.Result == HistoryOutcome::Kind::NoPlace) {
    Complain(CliTexts::NotInHistory, platform::NoUserFolderReason());
  } else if (history.Result == HistoryOutcome::Kind::NotWritten) {
    Complain(CliTexts::HistoryFile + path + " " + RunMessages::CannotWrite, history.Reason);
  }
}

int ExitCode(const RunOutcome& outcome, const RunRecord& record, bool outputLost, bool anyLost) {
  // A stdout that went away stopped the run: that, not an interrupt, is why
  // it ended.
  if (outputLost) return ExitStopped;
  if (anyLost && outcome.Result == RunOutcome::Kind::Completed) return ExitStopped;
  switch (outcome.Result) {
    case RunOutcome::Kind::Completed:
      return FoundBadSectors(record) ? ExitUnverified
             : FillFellShort(record) ? ExitNotFilled
                                     : ExitCompleted;
    case RunOutcome::Kind::Interrupted:
      std::fprintf(stderr, "%s\n", CliTexts::Interrupted);
      return ExitInterrupted;
    case RunOutcome::Kind::Stopped:
      std::fprintf(stderr, "%s\n", outcome.Message.c_str());
      return ExitStopped;
    case RunOutcome::Kind::Ended:
      return ExitStopped;
  }
  return ExitStopped;
}

int Publish(const LoadedRun& loaded, const BenchmarkRun& run, const ConsoleObserver& observer,
            const Measured& measured) {
  const CliOptions& options = loaded.Options;
  AfterRunPlan plan;
  plan.Stamp = RunStamp{loaded.Host, options.Label.value_or(""), options.StartAt.value_or(-1),
                        measured.StartedAt};
  plan.ReportPath = options.Report;
  plan.ReportCannotWrite = CliTexts::ReportFile + options.Report + CliTexts::CannotWriteReport;
  plan.KeepHistory = !options.NoHistory;
  plan.HistoryPath = HistoryPath();
  Publication publication(options, run, observer, measured.Outcome);
  AfterRunSteps steps;
  steps.Noted = [&publication](const RunRecord&, const std::vector<std::string>& notes) {
    publication.Noted(notes);
  };
  steps.Publish = [&publication](const RunRecord& record,
                                 const std::optional<RefusalOr<std::string>>& report) {
    return publication.Publish(record, report);
  };
  const AfterRunResult after = AfterRun(run.Record(measured.Outcome), plan, steps);
  SayHistory(after.History, plan.HistoryPath);
  return ExitCode(measured.Outcome, after.Record, observer.OutputLost(), publication.AnyLost());
}

int Main(int argc, char** argv) {
  platform::PrepareConsole();
  std::variant<ExitNow, LoadedRun> load = Load(platform::CommandLineArguments(argc, argv));
  if (const ExitNow* done = std::get_if<ExitNow>(&load)) return done->Code;
  const LoadedRun& loaded = std::get<LoadedRun>(load);
  SayRoundedTotal(loaded.Options);
  TakePriority(loaded.Options);

  PatternBuffer buffer;
  Generator generator;
  buffer.Fill(generator);
  Console console(loaded.Options);
  RunEnvironment environment;
  BenchmarkRun run(loaded.Options.Choices, buffer, generator, console.Observer, environment);
  const std::optional<Measured> measured = Measure(loaded.Options, run, console);
  if (!measured) return ExitInterrupted;
  return Publish(loaded, run, console.Observer, *measured);
}

}  // namespace
}  // namespace tarnwell::cli

// An exception that reaches here is a fault of the program: it ends the
// program as one left uncaught would, with the same message.
int main(int argc, char** argv) {
  try {
    return tarnwell::cli::Main(argc, argv);
  } catch (...) {
    std::terminate();
  }
}
