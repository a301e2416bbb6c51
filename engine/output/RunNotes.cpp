// The notes after a run: one table of the features that have something to
// say about a run's figures.
#include "engine/output/RunNotes.h"

#include "engine/judge/ShortPhases.h"
#include "engine/judge/Verdict.h"
#include "engine/judge/VerifyNotes.h"
#include "engine/judge/WriteCliff.h"
#include "engine/run/WholeDriveCheck.h"

namespace tarnwell {
namespace {

// Adds the lines one feature has to say about a run.
using NoteSource = void (*)(const RunRecord& record, std::vector<std::string>& notes);

// In the order the user reads them. A feature with notes adds one line here.
constexpr NoteSource NoteSources[] = {
    VerdictNotes, ShortPhaseNotes, WriteCliffNotes, VerifyNotes, FillNotes,
};

}  // namespace

std::vector<std::string> RunNotes(const RunRecord& record) {
  std::vector<std::string> notes;
  if (record.Date.empty()) return notes;
  for (const NoteSource source : NoteSources) {
    if (source != nullptr) source(record, notes);
  }
  return notes;
}

}  // namespace tarnwell
