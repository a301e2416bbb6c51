// Phases too short for the table's clock. The table keeps whole
// milliseconds, so a phase of a few milliseconds shows a speed off by up to
// a half and one under a millisecond shows none; the precise clock's own
// seconds are kept beside it, and a short phase is said after the table.
#pragma once

#include <string>
#include <vector>

namespace tarnwell {

struct RunRecord;
struct PhaseRecord;

// A phase that took less than this gets its note.
inline constexpr double ShortPhaseSeconds = 0.1;

// The note for a phase of `exactSeconds` at `exactMBPerSecond` (0: no speed
// could be taken), e.g. "読み込みは 0.4 ミリ秒で終わりました。…（実測 2,560 MB/秒）。…";
// empty when the phase was long enough or its exact time is not known.
std::string ShortPhaseNote(bool write, double exactSeconds, double exactMBPerSecond);

// At most one note per phase kind, for the shortest of its repetitions.
void ShortPhaseNotes(const RunRecord& record, std::vector<std::string>& notes);

}  // namespace tarnwell
