// tarnwell-cli --merge: many hosts' run documents read, checked and merged
// into one result (text, document or report).
#pragma once

#include "cli/CliOptions.h"

namespace tarnwell::cli {

// Reads options.MergeFiles and prints the merged result (with --json as a
// document), writing options.Report when asked. False after saying on
// stderr why the documents were refused or the output was not written.
bool MergeDocuments(const CliOptions& options);

}  // namespace tarnwell::cli
