// The history of runs: one JSON line per run in the user's data folder,
// appended by the window and the runner alike, and read back from its end
// in bounded memory however long it grows.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/output/RunDocument.h"
#include "platform/TextFiles.h"

namespace tarnwell {

// history.jsonl in the program's per-user data folder; empty when there is
// none (no home folder), and the history is then not kept.
std::string HistoryPath();
platform::Status AppendToHistory(const std::string& path, const RunRecord& record);

// What stands on the line under a history, report or settings message: the
// system's words for the failure ("No space left on device"), or what is in
// the way; empty when there is nothing to say.
std::string FailureReason(const platform::Status& status);

// Lines longer than this are not runs (ours are a few KB); they are skipped
// as damaged without ever being held whole.
inline constexpr std::size_t MaxHistoryLineBytes = 1 << 20;

struct HistoryScan {
  // NotFound: no history yet, which reads as an empty one.
  platform::Status Status;
  int Damaged = 0;  // lines that could not be read and were skipped
  bool Read() const { return Status.Ok() || Status.error == platform::IoError::NotFound; }
};

// Hands each run of the history to `visit`, newest first, until `visit`
// returns false. The file is read backwards in fixed-size pieces, so memory
// holds one piece and one line whatever the file's length.
HistoryScan ScanHistoryNewestFirst(const std::string& path,
                                   const std::function<bool(RunRecord&)>& visit);

// What a reader made of one line of the history.
enum class LineRead { Next, Damaged, Stop };

// As ScanHistoryNewestFirst, handing each line that is not blank (without
// its line end) to `visit`, which reads it as far as it needs; lines too
// long to be runs count as damaged without being visited.
HistoryScan ScanHistoryLinesNewestFirst(const std::string& path,
                                        const std::function<LineRead(std::string_view)>& visit);

// The last `limit` runs of the history that measured as `run` did (same
// setup, another date), oldest first: the report's comparison.
std::vector<RunRecord> EarlierRunsLike(const std::string& path, const RunRecord& run,
                                       std::size_t limit);

}  // namespace tarnwell
