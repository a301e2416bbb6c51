// The machine-readable report of tarnwell-cli --json: the choices, each
// repetition's recorded times, throughputs, file latencies and timeline, the
// device, the summaries and the outcome.
#pragma once

#include <string>

#include "cli/CliOptions.h"
#include "engine/BenchmarkRun.h"
#include "engine/Json.h"

namespace tarnwell::cli {

std::string JsonReport(const CliOptions& options, const BenchmarkRun& run,
                       const RunOutcome& outcome, const RunRecord& record);

}  // namespace tarnwell::cli
