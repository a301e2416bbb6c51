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
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/CliTexts.h"
#include "cli/JsonReport.h"
#include "cli/MergeCommand.h"
#include "cli/SavedChoices.h"
#include "cli/StartAt.h"
#include "engine/base/RunId.h"
#include "engine/base/TextFormat.h"
#include "engine/base/UtcTime.h"
#include "engine/base/Utf8.h"
#include "engine/judge/VerifyNotes.h"
#include "engine/output/HtmlReport.h"
#include "engine/output/RunHistory.h"
#include "engine/output/RunNotes.h"
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
// empty when nothing stands in the way. The save itself refuses the same
// things again, for whatever changes before it.
std::string OutputRefusal(const platform::FileIdentity& place) {
  using Kind = platform::FileIdentity::Kind;
  if (!place.Ok()) return place.Text();
  if (place.kind == Kind::Link) return platform::SaveRefusal::Link;
  if (place.kind == Kind::Folder) return CliTexts::IsAFolder;
  if (place.kind == Kind::Other) return platform::SaveRefusal::NotRegular;
  if (place.writeProtected) return platform::SaveRefusal::WriteProtected;
  return platform::ErrorText(place.cannotWrite);
}

// Refuses, before anything is measured, an output that is the same file as
// another output, an input or one of the program's own files, however the
// paths are spelt (writing it would destroy that file: a usage error), and
// an output that cannot be written at all (exit 1, as after a run). Outputs
// are named without following a link (one there is refused), inputs by what
// they lead to. The exit code after saying why, or nothing.
std::optional<int> RefuseUnsafeFiles(const std::vector<NamedFile>& files) {
  std::vector<platform::FileIdentity> places;
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
    if (const std::string refusal = OutputRefusal(places[i]); !refusal.empty()) {
      Complain(files[i].kind + files[i].path + CliTexts::CannotWriteReport, refusal);
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
  bool started = false;
  const auto start = [&] {
    if (started) return;
    started = true;
    std::fputs(options.Json ? "{\"runs\": [" : CliTexts::HistoryHeader, stdout);
  };
  int listed = 0;
  std::string text;
  const HistoryDetail detail = options.Json ? HistoryDetail::Whole : HistoryDetail::Row;
  const HistoryScan scan = ScanHistoryLinesNewestFirst(path, [&](std::string_view line) {
    const std::optional<RunRecord> run = ParseHistoryLine(line, detail);
    if (!run) return LineRead::Damaged;
    const std::string device = DeviceLabel(run->Device);
    if (!options.Match.empty() && device.find(options.Match) == std::string::npos &&
        run->Folder.find(options.Match) == std::string::npos) {
      return LineRead::Next;
    }
    start();
    text = options.Json && listed > 0 ? ",\n" : "\n";
    if (options.Json) {
      if (IsUtf8(line)) {
        text += line;
      } else {
        text += HistoryLine(*run);
      }
    } else {
      text = PrintableText(run->Date) + "\t" + PrintableText(device) + "\t" +
             PrintableText(run->Folder) + "\t" + PrintableText(run->FileSize) + "\t" +
             PrintableText(run->Total) + "\t" + PrintableText(run->Block) + "\t" +
             Figure(run->MeanWriteMBps) + "\t" + Figure(run->MeanReadMBps) + "\t" +
             PrintableText(run->Result) + "\n";
    }
    ++listed;
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::ferror(stdout) == 0 ? LineRead::Next : LineRead::Stop;
  });
  const std::string cannotRead = CliTexts::HistoryFile + path + CliTexts::CannotRead;
  // A history that is there but cannot be read is not an empty one.
  if (!scan.Read() && !started) {
    Complain(cannotRead, FailureReason(scan.Status));
    return ExitStopped;
  }
  start();
  if (options.Json) std::printf("%s], \"damaged\": %d}\n", listed > 0 ? "\n" : "", scan.Damaged);
  if (scan.Damaged > 0) {
    std::fprintf(stderr, CliTexts::DamagedSkipped, scan.Damaged);
  }
  if (!scan.Read()) Complain(cannotRead, FailureReason(scan.Status));
  return FlushOutput() && scan.Read() ? ExitCompleted : ExitStopped;
}

// The report, with the latest earlier runs of the same setup for comparison.
ReportResult WriteReport(const std::string& path, const RunRecord& record) {
  const std::string historyPath = HistoryPath();
  const std::string html =
      HtmlReport(record, historyPath.empty() ? std::vector<RunRecord>()
                                             : EarlierRunsLike(historyPath, record, ComparedRuns));
  // Written where the user said, never through a link or into a FIFO there.
  const platform::SaveResult saved =
      platform::ReplaceFileAtomically(path, html, platform::LinkAtPath::Refuse);
  if (saved.Ok()) return {true, {}};
  return {false, RunMessages::WithReason(CliTexts::ReportFile + path + CliTexts::CannotWriteReport,
                                         saved.Reason())};
}

// The window's saved choices as defaults under what the command line says;
// false after saying why they must not be used.
bool TakeSavedChoices(const CliOptions& given, CliOptions& defaults) {
  // The null device asks for no settings at all; any other file named on the
  // command line must really be read, or the run would measure a folder
  // the user did not mean.
  if (given.Settings && IsNullDevice(*given.Settings)) return true;
  const platform::IniFile settings(given.Settings.value_or(WindowSettingsPath()));
  if (given.Settings &&
      (!settings.ReadStatus().Ok() || !platform::IsReadableFile(*given.Settings))) {
    platform::TextFileReader probe;
    const platform::Status status = probe.Open(*given.Settings);
    Complain(CliTexts::SettingsFile + *given.Settings + CliTexts::CannotRead,
             status.Ok() ? std::string() : FailureReason(status));
    return false;
  }
  // A saved folder is refused only where it would be used.
  if (const std::string refused = ApplySavedChoices(settings, defaults, !given.FolderGiven);
      !refused.empty()) {
    Complain(refused + "\n" + CliTexts::NameTheFolder);
    return false;
  }
  return true;
}

int Main(int argc, char** argv) {
  platform::PrepareConsole();
  const std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
  const auto usageError = [](const std::string& error) {
    Complain(error + "\n" + CliTexts::SeeHelp);
    return ExitUsage;
  };
  const CliOptions builtIn = DefaultOptions(platform::HomeDirectory());
  ParseResult parsed = ParseCliOptions(arguments, builtIn);
  if (!parsed.Error.empty()) return usageError(parsed.Error);
  // None of these reads the window's settings: a folder saved there has no
  // say in them.
  if (parsed.Options.Help) {
    std::fputs(UsageText(), stdout);
    return FlushOutput() ? ExitCompleted : ExitStopped;
  }
  if (parsed.Options.Version) {
    std::printf("tarnwell-cli %s\n", TARNWELL_VERSION);
    return FlushOutput() ? ExitCompleted : ExitStopped;
  }
  if (parsed.Options.ListHistory) {
    std::vector<NamedFile> files;
    AddOwnFiles(files);
    if (const std::optional<int> refused = RefuseUnsafeFiles(files)) return *refused;
    return ListHistory(parsed.Options);
  }
  if (!parsed.Options.MergeFiles.empty()) {
    std::vector<NamedFile> files;
    if (!parsed.Options.Report.empty()) {
      files.push_back({CliTexts::ReportFile, parsed.Options.Report, true});
    }
    for (const std::string& input : parsed.Options.MergeFiles) {
      files.push_back({CliTexts::Document, input, false});
    }
    AddOwnFiles(files);
    if (const std::optional<int> refused = RefuseUnsafeFiles(files)) return *refused;
    return MergeDocuments(parsed.Options) ? ExitCompleted : ExitStopped;
  }

  CliOptions defaults = builtIn;
  if (!TakeSavedChoices(parsed.Options, defaults)) return ExitUsage;
  parsed = ParseCliOptions(arguments, defaults);
  if (!parsed.Error.empty()) return usageError(parsed.Error);
  {
    // Every output is checked before anything is measured: one found
    // wanting after a long run would have cost the run.
    const CliOptions& given = parsed.Options;
    std::vector<NamedFile> files;
    if (!given.Report.empty()) files.push_back({CliTexts::ReportFile, given.Report, true});
    if (!given.JsonFile.empty()) files.push_back({CliTexts::JsonFile, given.JsonFile, true});
    if (given.Settings && !IsNullDevice(*given.Settings)) {
      files.push_back({CliTexts::SettingsFile, *given.Settings, false});
    }
    AddOwnFiles(files);
    if (const std::optional<int> refused = RefuseUnsafeFiles(files)) return *refused;
  }
  if (parsed.Options.StartAt) {
    const std::string refused =
        StartTimeRefusal(*parsed.Options.StartAt, platform::UnixMicrosecondsNow());
    if (!refused.empty()) return usageError(refused);
  }
  std::string host = parsed.Options.Host.value_or("");
  if (!parsed.Options.Host) host = platform::QueryMachineName().ValueOr({});
  if (parsed.Options.PerHost) parsed.Options.Choices.PerHost = host.empty() ? "_" : host;
  const CliOptions& options = parsed.Options;
  // No home folder and no folder named: nothing says where to measure.
  if (options.Choices.Folder.empty()) {
    Complain(std::string(CliTexts::NoFolder) + "\n" + platform::NoUserFolderReason() + "\n" +
             CliTexts::NameTheFolder);
    return ExitUsage;
  }
  // A total that is no whole number of files is measured as the files it
  // holds; said, so that the figures are read against what was written.
  if (const RunChoices& choices = options.Choices; choices.TotalBytes > 0 && !options.Fill) {
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
  if (options.PriorityIndex >= 0 &&
      !platform::SetPriorityClass(static_cast<platform::PriorityClass>(options.PriorityIndex))
           .Ok()) {
    std::fprintf(stderr, "%s\n", RunMessages::PriorityFailed);
  }

  PatternBuffer buffer;
  Generator generator;
  buffer.Fill(generator);

  std::mutex console;
  const bool showProgress = platform::IsErrorStreamTerminal();
  ConsoleObserver observer(!options.Json, showProgress && platform::IsOutputStreamTerminal(),
                           console);
  RunEnvironment environment;
  BenchmarkRun run(options.Choices, buffer, generator, observer, environment);
  run.KeepFileTimes = options.KeepFileTimes;
  platform::InstallStopSignals(run.StopFlag());
  observer.StopWhenLost(run.StopFlag());

  // Waits for a common start with everything but the run itself ready; an
  // interrupt here ends the program before anything was made.
  std::int64_t startedAt = -1;
  if (options.StartAt) {
    std::fprintf(stderr, "%s%s\n", CliTexts::WaitingForStart, FormatUtc(*options.StartAt).c_str());
    if (!platform::SleepUntilWallClock(*options.StartAt, run.StopFlag())) {
      std::fprintf(stderr, "%s\n", CliTexts::Interrupted);
      return ExitInterrupted;
    }
    startedAt = platform::UnixMicrosecondsNow();
  }

  RunOutcome outcome;
  {
    std::optional<ProgressLine> progress;
    if (showProgress) progress.emplace(run.Progress(), observer, console, options.Fill);
    outcome = run.Execute();
  }
  observer.Finish();
  RunRecord record = run.Record(outcome);
  record.Host = host;
  record.RunId = NewRunId();
  record.Label = options.Label.value_or("");
  record.StartRequested = options.StartAt.value_or(-1);
  record.StartActual = startedAt;
  for (const std::string& note : RunNotes(record)) std::fprintf(stderr, "%s\n", note.c_str());
  // A run that never reached its folder measured nothing worth keeping.
  const bool measured = !record.Date.empty();
  // The first output that was lost: the run then ends as stopped by it, in
  // the exit code, the copy on stdout and the history alike.
  std::string lostBecause;
  if (observer.OutputLost()) {
    lostBecause = RunMessages::WithReason(CliTexts::OutputNotWritten, observer.LostReason());
    Complain(CliTexts::OutputNotWritten, observer.LostReason());
  }
  // A report that was asked for and not written makes the run a failure.
  ReportResult report;
  if (measured && !options.Report.empty()) {
    report = WriteReport(options.Report, record);
    if (!report.Written) {
      Complain(report.Message);
      if (lostBecause.empty()) lostBecause = report.Message;
    }
  }
  bool lost = !lostBecause.empty();
  // A run stopped for want of a stdout was stopped by that, not interrupted.
  RunOutcome told = outcome;
  if (observer.OutputLost()) {
    told.Result = RunOutcome::Kind::Stopped;
    told.Box = MessageKind::Plain;
    told.Message = lostBecause;
  }
  std::string document = options.Json || !options.JsonFile.empty()
                             ? JsonReport(options, run, told, record, report)
                             : std::string();
  if (!options.JsonFile.empty()) {
    // Written where the user said, never through a link or into a FIFO there.
    const platform::SaveResult saved =
        platform::ReplaceFileAtomically(options.JsonFile, document, platform::LinkAtPath::Refuse);
    if (!saved.Ok()) {
      const std::string text = CliTexts::JsonFile + options.JsonFile + CliTexts::CannotWriteReport;
      Complain(text, saved.Reason());
      if (lostBecause.empty()) lostBecause = RunMessages::WithReason(text, saved.Reason());
      lost = true;
      // The copy on stdout must not call completed what exits 1.
      if (options.Json && outcome.Result == RunOutcome::Kind::Completed) {
        RunOutcome failed = outcome;
        failed.Result = RunOutcome::Kind::Stopped;
        failed.Message = lostBecause;
        document = JsonReport(options, run, failed, record, report);
      }
    }
  }
  if (options.Json) std::fputs(document.c_str(), stdout);
  // A table nobody received (a full disk, a closed pipe) is no result.
  if (!observer.OutputLost()) {
    if (const platform::Status flushed = platform::FlushStandardOutput(); !flushed.Ok()) {
      Complain(CliTexts::OutputNotWritten, flushed.Text());
      if (lostBecause.empty()) {
        lostBecause = RunMessages::WithReason(CliTexts::OutputNotWritten, flushed.Text());
      }
      lost = true;
    }
  }
  // Kept last, so that the history says how the run really ended.
  if (measured && !options.NoHistory) {
    if (!lostBecause.empty() &&
        (outcome.Result == RunOutcome::Kind::Completed || observer.OutputLost())) {
      record.Result = "stopped";
      record.Message = lostBecause;
    }
    const std::string historyPath = HistoryPath();
    if (historyPath.empty()) {
      Complain(CliTexts::NotInHistory, platform::NoUserFolderReason());
    } else if (const platform::Status kept = AppendToHistory(historyPath, record); !kept.Ok()) {
      Complain(CliTexts::HistoryFile + historyPath + " " + RunMessages::CannotWrite,
               FailureReason(kept));
    }
  }
  // A stdout that went away stopped the run: that, not an interrupt, is why
  // it ended.
  if (observer.OutputLost()) return ExitStopped;
  if (lost && outcome.Result == RunOutcome::Kind::Completed) return ExitStopped;

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

}  // namespace
}  // namespace tarnwell::cli

int main(int argc, char** argv) { return tarnwell::cli::Main(argc, argv); }
