// What a run leaves once it has ended, in one order for the window and the
// runner alike: the record's last fields, the notes on its figures, the
// report when one was asked for, whatever the caller writes itself, and the
// history line last, so that it says how the run really ended. Every file
// the user names is written as SaveUserOutput writes it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/base/Refusal.h"
#include "engine/model/RunRecord.h"

namespace tarnwell {

// Replaces `path` with `text` in one step, never through a link or into a
// FIFO there: the one way a report or a document reaches a file the user
// named. The refusal is `cannotWrite` with the system's reason under it.
std::optional<Refusal> SaveUserOutput(const std::string& path, const std::string& text,
                                      const std::string& cannotWrite);

// The run's report saved at `path` (as SaveUserOutput), with the latest
// earlier runs of the same setup from the history at `historyPath` (empty:
// none) for comparison.
std::optional<Refusal> SaveRunReport(const std::string& path, const RunRecord& record,
                                     const std::string& historyPath,
                                     const std::string& cannotWrite);

// Who ran the run and how it started: the runner records these; the
// window's runs carry none of them.
struct RunStamp {
  std::string Host;
  std::string Label;
  std::int64_t StartRequested = -1;  // microseconds since 1970; -1: none asked
  std::int64_t StartActual = -1;
};

struct AfterRunPlan {
  // A fresh run id with these; none: the record stays as the run made it.
  std::optional<RunStamp> Stamp;
  // The report to write; empty for none. Its refusal starts with
  // `ReportCannotWrite`.
  std::string ReportPath;
  std::string ReportCannotWrite;
  bool KeepHistory = true;
  std::string HistoryPath;  // empty: the history has no place
};

// What became of the run's line in the history.
struct HistoryOutcome {
  enum class Kind {
    NotAsked,  // nothing measured, or the history was not to be kept
    NoPlace,   // no folder to keep it in
    Kept,
    NotWritten,
  };
  Kind Result = Kind::NotAsked;
  std::string Reason;  // NotWritten: the system's words, when it gave any
};

struct AfterRunResult {
  RunRecord Record;  // as the history has it
  std::vector<std::string> Notes;
  // The report's path once written, or why not; none when none was made (not
  // asked for, or nothing measured).
  std::optional<RefusalOr<std::string>> Report;
  HistoryOutcome History;
};

// Where the caller steps in; either may be left empty.
struct AfterRunSteps {
  // The record complete and its notes formed, before anything is written.
  std::function<void(const RunRecord&, const std::vector<std::string>& notes)> Noted;
  // After the report, before the history: what the caller writes itself.
  // Returns why the run, as the history is to keep it, stopped after all (an
  // output of the caller's that was lost); nothing leaves it as it ended.
  std::function<std::optional<std::string>(const RunRecord&,
                                           const std::optional<RefusalOr<std::string>>& report)>
      Publish;
};

// A run that never reached its folder measured nothing: no report and no
// history line for it.
AfterRunResult AfterRun(RunRecord record, const AfterRunPlan& plan,
                        const AfterRunSteps& steps = {});

}  // namespace tarnwell
