// Where a write phase's throughput fell and stayed down: many drives take
// writes into a fast cache first and slow down for good once it is full.
// Found on the phase's timeline after the phase; the size written before
// the fall hints at the cache's size.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/model/PhaseJudgement.h"

namespace tarnwell {

struct RunRecord;
struct PhaseRecord;

// The best split of the timeline (MB/s over equal shares of `files` files of
// `fileBytes` bytes) into two flat parts where the later part covers at
// least a fifth of the files, runs at most 70 % of the earlier part's rate
// and is still down at the end. Nothing for noise without a step, a dip
// that recovers, a fall too near the end to tell, or under ten shares.
std::optional<WriteCliff> FindWriteCliff(const std::vector<double>& timeline, std::int64_t files,
                                         std::int64_t fileBytes);

// "書き込みは約 12.3 GB を書いたところで 1,850 MB/秒 から 420 MB/秒 に落ちました（…）".
std::string WriteCliffText(const WriteCliff& cliff);

// One line per write phase with a fall, after the table.
void WriteCliffNotes(const RunRecord& record, std::vector<std::string>& notes);

}  // namespace tarnwell
