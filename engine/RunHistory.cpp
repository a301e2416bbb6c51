// Appending to and reading the history of runs.
#include "engine/RunHistory.h"

#include "platform/PathNames.h"
#include "platform/Paths.h"
#include "platform/TextFiles.h"

namespace tarnwell {

std::string HistoryPath() {
  const std::string folder = platform::ProgramDataDirectory();
  return folder.empty() ? std::string() : platform::JoinPath(folder, "history.jsonl");
}

bool AppendToHistory(const std::string& path, const RunRecord& record) {
  return platform::AppendLine(path, HistoryLine(record));
}

History ReadHistory(const std::string& path) {
  History history;
  const std::optional<std::string> text = platform::ReadWholeFile(path);
  if (!text) return history;
  std::size_t start = 0;
  while (start < text->size()) {
    std::size_t end = text->find('\n', start);
    if (end == std::string::npos) end = text->size();
    std::string_view line(text->data() + start, end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    start = end + 1;
    if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
    if (std::optional<RunRecord> record = ParseHistoryLine(line)) {
      history.Runs.push_back(std::move(*record));
    } else {
      ++history.Damaged;
    }
  }
  return history;
}

}  // namespace tarnwell
