// The history of runs: one JSON line per run in the user's data folder,
// appended by the window and the runner alike.
#pragma once

#include <string>
#include <vector>

#include "engine/RunRecord.h"

namespace tarnwell {

struct History {
  std::vector<RunRecord> Runs;  // oldest first, as they were appended
  int Damaged = 0;              // lines that could not be read and were skipped
};

// history.jsonl in the program's per-user data folder; empty when there is
// none (no home folder), and the history is then not kept.
std::string HistoryPath();
bool AppendToHistory(const std::string& path, const RunRecord& record);
// A missing file is an empty history.
History ReadHistory(const std::string& path);

}  // namespace tarnwell
