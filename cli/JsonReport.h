// The machine-readable report of tarnwell-cli --json: the run document,
// filled from the command line's choices (see engine/output/RunDocument.h).
#pragma once

#include <string>

#include "cli/CliOptions.h"
#include "engine/run/BenchmarkRun.h"

namespace tarnwell::cli {

// What became of the file --report asked for.
struct ReportResult {
  bool Written = false;
  std::string Message;  // why not, with the system's reason; empty when written
};

// The run document for these options (see RunDocumentJson).
std::string JsonReport(const CliOptions& options, const BenchmarkRun& run,
                       const RunOutcome& outcome, const RunRecord& record,
                       const ReportResult& report);

}  // namespace tarnwell::cli
