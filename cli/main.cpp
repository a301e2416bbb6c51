// tarnwell-cli: the benchmark without a window. stdout receives the result
// text as the window's memo shows it (LF line ends), growing as the run goes;
// stderr receives a live progress line on a terminal, notices and the stop
// message.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "cli/CliOptions.h"
#include "cli/JsonReport.h"
#include "cli/SavedChoices.h"
#include "engine/BenchmarkRun.h"
#include "engine/HtmlReport.h"
#include "engine/RunHistory.h"
#include "engine/UnitMSec.h"
#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "platform/Priority.h"
#include "platform/Signals.h"
#include "platform/Terminal.h"

#ifndef TARNWELL_VERSION
#define TARNWELL_VERSION "0.0.0"
#endif

namespace tarnwell::cli {
namespace {

constexpr int ExitCompleted = 0;
constexpr int ExitStopped = 1;
constexpr int ExitUsage = 2;
constexpr int ExitInterrupted = 130;

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
    std::fflush(stdout);
    pending_.erase(0, end);
  }

  void Notice(const std::string& text) override {
    std::lock_guard lock(console_);
    ClearProgressLine();
    std::fprintf(stderr, "%s\n", text.c_str());
  }

  // The memo shows the text as one more line.
  void Finish() {
    if (printTable_ && shown_ > 0) {
      std::fputs((pending_ + "\n").c_str(), stdout);
      std::fflush(stdout);
      pending_.clear();
    }
  }

  bool ProgressShown = false;

  void ClearProgressLine() {
    if (!ProgressShown) return;
    std::fputs("\r\033[K", stderr);
    ProgressShown = false;
  }

private:
  bool printTable_;
  bool wholeLines_;
  std::mutex& console_;
  std::size_t shown_ = 0;
  std::string pending_;  // text not printed yet
};

// Polls the run's progress a few times a second and redraws one line.
class ProgressLine {
public:
  ProgressLine(const RunProgress& progress, ConsoleObserver& observer, std::mutex& console)
      : progress_(progress), observer_(observer), console_(console), started_(PreciseNow()) {
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
      std::fprintf(stderr, "\r\033[K%s  %d/%d 回目  ファイル %d/%d  経過 %.1f 秒", text,
                   progress_.Repetition.load(std::memory_order_relaxed),
                   progress_.Repetitions.load(std::memory_order_relaxed),
                   progress_.File.load(std::memory_order_relaxed),
                   progress_.Files.load(std::memory_order_relaxed), seconds);
      std::fflush(stderr);
      observer_.ProgressShown = true;
    }
  }

  const RunProgress& progress_;
  ConsoleObserver& observer_;
  std::mutex& console_;
  double started_;
  std::mutex wake_;
  std::condition_variable wakeup_;
  bool done_ = false;
  std::thread thread_;
};

// "/dev/null", or "NUL" as Windows spells it: no settings at all.
bool IsNullDevice(const std::string& path) {
  return path == "/dev/null" || path == "NUL" || path == "nul";
}

// Earlier runs, newest first, one per line with TABs between the fields.
int ListHistory(const std::string& match) {
  if (HistoryPath().empty()) {
    std::fprintf(stderr, "tarnwell-cli: 履歴の場所がわかりません\n%s\n",
                 platform::NoUserFolderReason().c_str());
    return ExitStopped;
  }
  const History history = ReadHistory(HistoryPath());
  std::string text =
      "日時\tデバイス\tフォルダ\tファイル\t総容量\tブロック\t書き（MB/秒）\t読み（MB/秒）\t結果\n";
  auto figure = [](double value) {
    if (value < 0) return std::string("-");
    char digits[32];
    std::snprintf(digits, sizeof digits, "%.3f", value);
    return std::string(digits);
  };
  for (auto run = history.Runs.rbegin(); run != history.Runs.rend(); ++run) {
    const std::string device = DeviceLabel(run->Device);
    if (!match.empty() && device.find(match) == std::string::npos &&
        run->Folder.find(match) == std::string::npos) {
      continue;
    }
    text += run->Date + "\t" + device + "\t" + run->Folder + "\t" + run->FileSize + "\t" +
            run->Total + "\t" + run->Block + "\t" + figure(run->MeanWriteMBps) + "\t" +
            figure(run->MeanReadMBps) + "\t" + run->Result + "\n";
  }
  std::fputs(text.c_str(), stdout);
  if (history.Damaged > 0) {
    std::fprintf(stderr, "tarnwell-cli: 履歴の壊れた %d 行を飛ばしました\n", history.Damaged);
  }
  return std::fflush(stdout) == 0 && !std::ferror(stdout) ? ExitCompleted : ExitStopped;
}

// The report, with the earlier runs of the same setup for comparison.
bool WriteReport(const std::string& path, const RunRecord& record) {
  std::vector<RunRecord> earlier;
  for (RunRecord& run : ReadHistory(HistoryPath()).Runs) {
    if (SameSetup(run, record) && run.Date != record.Date) earlier.push_back(std::move(run));
  }
  // Written where the user said, never through a link or into a FIFO there.
  std::string reason;
  if (platform::ReplaceFileAtomically(path, HtmlReport(record, earlier),
                                      platform::LinkAtPath::Refuse, &reason)) {
    return true;
  }
  std::fprintf(stderr, "tarnwell-cli: レポート %s を書き込めません\n", path.c_str());
  if (!reason.empty()) std::fprintf(stderr, "%s\n", reason.c_str());
  return false;
}

int Main(int argc, char** argv) {
  platform::PrepareConsole();
  const std::vector<std::string> arguments = platform::CommandLineArguments(argc, argv);
  CliOptions defaults = DefaultOptions(platform::HomeDirectory());
  const std::optional<std::string> settingsFile = SettingsArgument(arguments);
  // The null device asks for no settings at all; any other file named on the
  // command line must really be read, or the run would measure a folder
  // the user did not mean.
  if (!settingsFile || !IsNullDevice(*settingsFile)) {
    const platform::IniFile settings(settingsFile.value_or(WindowSettingsPath()));
    if (settingsFile && (settings.ReadFailed() || !platform::IsReadableFile(*settingsFile))) {
      std::fprintf(stderr, "tarnwell-cli: 設定ファイル %s を読めません\n", settingsFile->c_str());
      return ExitUsage;
    }
    if (const std::string refused = ApplySavedChoices(settings, defaults); !refused.empty()) {
      std::fprintf(stderr, "tarnwell-cli: %s\n%s", refused.c_str(),
                   "--folder で測定するフォルダを指定してください。\n");
      return ExitUsage;
    }
  }
  const ParseResult parsed = ParseCliOptions(arguments, defaults);
  if (!parsed.Error.empty()) {
    std::fprintf(stderr, "tarnwell-cli: %s\n%s", parsed.Error.c_str(),
                 "詳しくは tarnwell-cli --help を見てください。\n");
    return ExitUsage;
  }
  const CliOptions& options = parsed.Options;
  if (options.Help) {
    std::fputs(UsageText(), stdout);
    return ExitCompleted;
  }
  if (options.Version) {
    std::printf("tarnwell-cli %s\n", TARNWELL_VERSION);
    return ExitCompleted;
  }
  if (options.ListHistory) return ListHistory(options.Match);
  // No home folder and no folder named: nothing says where to measure.
  if (options.Choices.Folder.empty()) {
    std::fprintf(stderr, "tarnwell-cli: 測定するフォルダがわかりません\n%s\n%s",
                 platform::NoUserFolderReason().c_str(),
                 "--folder で測定するフォルダを指定してください。\n");
    return ExitUsage;
  }
  if (options.PriorityIndex >= 0 &&
      !platform::SetPriorityClass(static_cast<platform::PriorityClass>(options.PriorityIndex))) {
    std::fprintf(stderr, "%s\n", "優先度の設定に失敗しました");
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

  RunOutcome outcome;
  {
    std::optional<ProgressLine> progress;
    if (showProgress) progress.emplace(run.Progress(), observer, console);
    outcome = run.Execute();
  }
  observer.Finish();
  const RunRecord record = run.Record(outcome);
  // A run that never reached its folder measured nothing worth keeping.
  const bool measured = !record.Date.empty();
  if (measured && !options.NoHistory) {
    const std::string historyPath = HistoryPath();
    if (historyPath.empty()) {
      std::fprintf(stderr, "tarnwell-cli: この測定は履歴に残りません\n%s\n",
                   platform::NoUserFolderReason().c_str());
    } else if (!AppendToHistory(historyPath, record)) {
      std::fprintf(stderr, "tarnwell-cli: 履歴 %s に書き込めません\n", historyPath.c_str());
    }
  }
  // A report that was asked for and not written makes the run a failure.
  bool lost = measured && !options.Report.empty() && !WriteReport(options.Report, record);
  if (options.Json) std::fputs(JsonReport(options, run, outcome, record).c_str(), stdout);
  // A table nobody received (a full disk, a closed pipe) is no result.
  const bool flushed = std::fflush(stdout) == 0;
  if (!flushed || std::ferror(stdout)) {
    const std::string reason = flushed ? "" : platform::ErrorText(platform::LastSystemError());
    std::fprintf(stderr, "tarnwell-cli: 標準出力に書き込めません\n%s", reason.c_str());
    if (!reason.empty()) std::fputc('\n', stderr);
    lost = true;
  }
  if (lost && outcome.Result == RunOutcome::Kind::Completed) return ExitStopped;

  switch (outcome.Result) {
    case RunOutcome::Kind::Completed:
      return ExitCompleted;
    case RunOutcome::Kind::Interrupted:
      std::fprintf(stderr, "%s\n", "中断しました");
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
