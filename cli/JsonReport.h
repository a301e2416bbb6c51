// The machine-readable report of tarnwell-cli --json: the choices, each
// repetition's recorded times and throughputs, the summaries and the outcome.
#pragma once

#include <string>

#include "cli/CliOptions.h"
#include "engine/BenchmarkRun.h"

namespace tarnwell::cli {

std::string JsonReport(const CliOptions& options, const BenchmarkRun& run,
                       const RunOutcome& outcome);

// `text` as a JSON string literal, quotes included.
std::string JsonString(const std::string& text);

}  // namespace tarnwell::cli
