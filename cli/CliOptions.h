// Command-line options of tarnwell-cli and how they map onto the choices the
// main window would hold.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/run/BenchmarkRun.h"
#include "platform/Priority.h"

namespace tarnwell::cli {

struct CliOptions {
  // The choices' own priority (the window's) is never applied here.
  RunChoices Choices;
  int PriorityIndex = -1;  // --priority; -1: leave the priority as it is
  bool Json = false;
  bool NoHistory = false;    // keep this run out of the history
  bool ListHistory = false;  // --history: list earlier runs instead of running
  std::string Match;         // --match: only runs whose device or folder holds this
  std::string Report;        // --report FILE.html; empty for none
  bool KeepFileTimes = true;
  bool Fill = false;  // --fill: the whole-drive check
  bool Help = false;
  bool Version = false;
  std::optional<std::string> Settings;  // --settings FILE
  bool FolderGiven = false;             // --folder was given: no saved folder is used
  std::vector<std::string> MergeFiles;  // --merge FILE...: run documents to merge
  // Runs on many machines: the host name to record (default: the machine's),
  // a label, the document's file, a common start (microseconds since 1970,
  // UTC) and a run folder of the host's own.
  std::optional<std::string> Host;
  std::optional<std::string> Label;
  std::string JsonFile;
  std::optional<std::int64_t> StartAt;
  bool PerHost = false;
  // --clock-offset: this host's clock less the control node's, in seconds,
  // as the control node measured it; recorded for the merge.
  std::optional<double> ClockOffset;
};

struct ParseResult {
  CliOptions Options;
  std::string Error;  // empty when the arguments were accepted
};

// `defaults` holds the choices to start from: the window's saved choices,
// or its first-start defaults. Refused: an option given twice (--delete and
// --keep count as one), --match without --history, and --history with
// anything but --match and --json, which would be silently ignored.
ParseResult ParseCliOptions(const std::vector<std::string>& arguments, const CliOptions& defaults);

// First-start defaults of the window, the folder being `folder`.
CliOptions DefaultOptions(const std::string& folder);

const char* UsageText();

}  // namespace tarnwell::cli
