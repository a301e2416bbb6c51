// What a run says about its own figures once it has ended: whether they are
// the device's or a cache's, whether a phase was too short for the table's
// clock, what the data read back showed. Each note is one line of text; the
// runner prints them on stderr after the table, the window joins them on
// its status line, and the result table itself never changes.
#pragma once

#include <string>
#include <vector>

#include "engine/model/RunRecord.h"

namespace tarnwell {

// The notes on `record`, in the order the user reads them; none for a run
// that measured nothing.
std::vector<std::string> RunNotes(const RunRecord& record);

}  // namespace tarnwell
