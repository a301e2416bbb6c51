// What the runner's document says was asked for, beside what the run itself
// derived: the choices as the user gave them, the host's own marks and the
// report asked for, with what became of it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwell {

struct RunDocumentChoices {
  std::string Folder;
  int FileSizeIndex = 0;
  std::int64_t TotalBytes = 0;  // a total given in bytes; 0: the list's TotalSizeIndex
  int TotalSizeIndex = 0;
  int RepeatIndex = 0;
  bool OneMegabyteBlocks = false;
  bool ReadOnly = false;
  bool Random = false;
  bool Delete = false;
  bool Verify = false;
  int PriorityIndex = -1;  // -1: the priority was left as it was
  std::optional<std::string> Label;
  std::optional<double> ClockOffset;  // the host's clock less the control node's
  // The HTML report asked for (empty for none), whether it was written, and
  // why not (empty when it was not tried or was written).
  std::string ReportFile;
  bool ReportWritten = false;
  std::string ReportMessage;
};

}  // namespace tarnwell
