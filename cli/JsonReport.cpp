// The runner's JSON document: the command line's choices handed to the run
// document's writer.
#include "cli/JsonReport.h"

#include "engine/output/RunDocument.h"

namespace tarnwell::cli {

std::string JsonReport(const CliOptions& options, const BenchmarkRun& run,
                       const RunOutcome& outcome, const RunRecord& record,
                       const ReportResult& report) {
  const RunChoices& c = options.Choices;
  RunDocumentChoices choices;
  choices.Folder = c.Folder;
  choices.FileSizeIndex = c.FileSizeIndex;
  choices.TotalBytes = c.TotalBytes;
  choices.TotalSizeIndex = c.TotalSizeIndex;
  choices.RepeatIndex = c.RepeatIndex;
  choices.OneMegabyteBlocks = c.OneMegabyteBlocks;
  choices.ReadOnly = c.ReadOnly;
  choices.Random = c.ReadRandom;
  choices.Delete = c.DeleteFiles;
  choices.Verify = c.Verify;
  choices.PriorityIndex = options.PriorityIndex;
  choices.Label = options.Label;
  choices.ClockOffset = options.ClockOffset;
  choices.ReportFile = options.Report;
  choices.ReportWritten = report.Written;
  choices.ReportMessage = report.Message;
  return RunDocumentJson(choices, run, outcome, record);
}

}  // namespace tarnwell::cli
