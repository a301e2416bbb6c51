// The steps after a run, shared by the window and the runner.
#include "engine/output/AfterRun.h"

#include <utility>

#include "engine/base/RunId.h"
#include "engine/output/HtmlReport.h"
#include "engine/output/RunHistory.h"
#include "engine/output/RunNotes.h"
#include "engine/run/BenchmarkRun.h"
#include "platform/AtomicFile.h"

namespace tarnwell {
namespace {

// A file the user named is the user's: one found there as a link is refused
// rather than followed, so a report never lands where the link points.
constexpr platform::LinkAtPath UserOutputLinks = platform::LinkAtPath::Refuse;

void StampRecord(RunRecord& record, const RunStamp& stamp) {
  record.Host = stamp.Host;
  record.RunId = NewRunId();
  record.Label = stamp.Label;
  record.StartRequested = stamp.StartRequested;
  record.StartActual = stamp.StartActual;
}

HistoryOutcome KeepInHistory(const std::string& path, const RunRecord& record) {
  if (path.empty()) return {HistoryOutcome::Kind::NoPlace, {}};
  const platform::Status kept = AppendToHistory(path, record);
  if (kept.Ok()) return {HistoryOutcome::Kind::Kept, {}};
  return {HistoryOutcome::Kind::NotWritten, FailureReason(kept)};
}

}  // namespace

std::optional<Refusal> SaveUserOutput(const std::string& path, const std::string& text,
                                      const std::string& cannotWrite) {
  const platform::SaveResult saved = platform::ReplaceFileAtomically(path, text, UserOutputLinks);
  if (saved.Ok()) return std::nullopt;
  return Refusal{RunMessages::WithReason(cannotWrite, saved.Reason())};
}

std::optional<Refusal> SaveRunReport(const std::string& path, const RunRecord& record,
                                     const std::string& historyPath,
                                     const std::string& cannotWrite) {
  const std::vector<RunRecord> earlier = historyPath.empty()
                                             ? std::vector<RunRecord>()
                                             : EarlierRunsLike(historyPath, record, ComparedRuns);
  return SaveUserOutput(path, HtmlReport(record, earlier), cannotWrite);
}

AfterRunResult AfterRun(RunRecord record, const AfterRunPlan& plan, const AfterRunSteps& steps) {
  AfterRunResult result;
  if (plan.Stamp) StampRecord(record, *plan.Stamp);
  result.Notes = RunNotes(record);
  if (steps.Noted) steps.Noted(record, result.Notes);
  const bool measured = !record.Date.empty();
  if (measured && !plan.ReportPath.empty()) {
    if (std::optional<Refusal> refused =
            SaveRunReport(plan.ReportPath, record, plan.HistoryPath, plan.ReportCannotWrite)) {
      result.Report.emplace(std::move(*refused));
    } else {
      result.Report.emplace(plan.ReportPath);
    }
  }
  const std::optional<std::string> stopped =
      steps.Publish ? steps.Publish(record, result.Report) : std::nullopt;
  // Kept last, so that the history says how the run really ended.
  if (measured && plan.KeepHistory) {
    if (stopped) {
      record.Result = "stopped";
      record.Message = *stopped;
    }
    result.History = KeepInHistory(plan.HistoryPath, record);
  }
  result.Record = std::move(record);
  return result;
}

}  // namespace tarnwell
