// The machine-readable report of tarnwell-cli --json: the choices, each
// repetition's recorded times, throughputs, file latencies and timeline, the
// device, the summaries and the outcome.
#pragma once

#include <string>

#include "cli/CliOptions.h"
#include "engine/base/Json.h"
#include "engine/run/BenchmarkRun.h"

namespace tarnwell::cli {

// What became of the file --report asked for.
struct ReportResult {
  bool Written = false;
  std::string Message;  // why not, with the system's reason; empty when written
};

// Floating-point figures always carry a decimal point and counts never do;
// the outcome always has "result", "box" and "message" ("" unless a message
// stopped the run). "report" is null without --report; a report that could
// not be written makes the result "stopped" with the report's message, as
// the exit code does, even though the measurement itself completed.
std::string JsonReport(const CliOptions& options, const BenchmarkRun& run,
                       const RunOutcome& outcome, const RunRecord& record,
                       const ReportResult& report);

}  // namespace tarnwell::cli
