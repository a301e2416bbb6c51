// Appending to and reading the history of runs.
#include "engine/output/RunHistory.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "engine/run/BenchmarkRun.h"
#include "platform/PathNames.h"
#include "platform/Paths.h"

namespace tarnwell {
namespace {

constexpr std::size_t PieceBytes = std::size_t{64} * 1024;

// Where the last line end in data[0, size) is, or npos. Lines are long and
// their ends few, so eight bytes are looked at together.
std::size_t LastLineEnd(const char* data, std::size_t size) {
  constexpr std::uint64_t Ones = 0x0101010101010101;
  constexpr std::uint64_t Highs = 0x8080808080808080;
  std::size_t end = size;
  for (; end >= 8; end -= 8) {
    std::uint64_t word = 0;
    std::memcpy(&word, data + end - 8, 8);
    const std::uint64_t x = word ^ (Ones * '\n');
    if (((x - Ones) & ~x & Highs) != 0) break;  // a line end among them
  }
  while (end-- > 0) {
    if (data[end] == '\n') return end;
  }
  return std::string::npos;
}

// Gathers lines from the end of the file towards its start.
class BackwardLines {
public:
  // Puts `size` bytes from `data` in front of the line being gathered.
  void Prepend(const char* data, std::size_t size) {
    if (overlong_ || size == 0) return;
    if (line_.size() + size > MaxHistoryLineBytes) {
      overlong_ = true;
      line_.clear();
      return;
    }
    line_.insert(0, data, size);
  }

  // The gathered line is complete: hands it on and starts the next one.
  // Returns false when the visitor wants no more.
  bool Finish(HistoryScan& scan, const std::function<LineRead(std::string_view)>& visit) {
    const bool more = overlong_ ? (++scan.Damaged, true) : Visit(line_, scan, visit);
    line_.clear();
    overlong_ = false;
    return more;
  }

  // As Prepend and Finish, without copying a line that lies wholly in the
  // piece read.
  bool FinishWith(const char* data, std::size_t size, HistoryScan& scan,
                  const std::function<LineRead(std::string_view)>& visit) {
    if (!line_.empty() || overlong_ || size > MaxHistoryLineBytes) {
      Prepend(data, size);
      return Finish(scan, visit);
    }
    return Visit(std::string_view(data, size), scan, visit);
  }

private:
  static bool Visit(std::string_view line, HistoryScan& scan,
                    const std::function<LineRead(std::string_view)>& visit) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.find_first_not_of(" \t") == std::string_view::npos) return true;
    const LineRead read = visit(line);
    if (read == LineRead::Damaged) ++scan.Damaged;
    return read != LineRead::Stop;
  }

  std::string line_;
  bool overlong_ = false;
};

}  // namespace

std::string HistoryPath() {
  const std::string folder = platform::ProgramDataDirectory();
  return folder.empty() ? std::string() : platform::JoinPath(folder, "history.jsonl");
}

platform::Status AppendToHistory(const std::string& path, const RunRecord& record) {
  return platform::AppendLine(path, HistoryLine(record));
}

std::string FailureReason(const platform::Status& status) {
  if (status.error == platform::IoError::NotRegular) return RunMessages::NotRegular;
  return platform::ErrorText(status.code);
}

HistoryScan ScanHistoryNewestFirst(const std::string& path,
                                   const std::function<bool(RunRecord&)>& visit) {
  return ScanHistoryLinesNewestFirst(path, [&](std::string_view line) {
    std::optional<RunRecord> record = ParseHistoryLine(line);
    if (!record) return LineRead::Damaged;
    return visit(*record) ? LineRead::Next : LineRead::Stop;
  });
}

HistoryScan ScanHistoryLinesNewestFirst(const std::string& path,
                                        const std::function<LineRead(std::string_view)>& visit) {
  HistoryScan scan;
  // The writer never appends through a link at the history's path, so the
  // reader never reads through one either: what it lists is what runs wrote.
  if (platform::IdentifyFile(path, false).kind == platform::FileIdentity::Kind::Link) {
    scan.Status = {platform::IoError::NotRegular, 0};
    return scan;
  }
  platform::TextFileReader file;
  scan.Status = file.Open(path);
  if (!scan.Status.Ok()) return scan;
  std::string piece(PieceBytes, '\0');
  BackwardLines lines;
  for (std::int64_t end = file.Size(); end > 0;) {
    const std::int64_t start =
        std::max<std::int64_t>(0, end - static_cast<std::int64_t>(PieceBytes));
    const auto size = static_cast<std::size_t>(end - start);
    const platform::TransferResult read = file.ReadAt(start, piece.data(), size);
    if (read.error != platform::IoError::None || read.bytes != size) {
      // A read error, or a file cut short while being read.
      scan.Status = {platform::IoError::Failed, read.code};
      return scan;
    }
    std::size_t rest = size;  // piece[0, rest) is still to be gathered
    for (std::size_t i; (i = LastLineEnd(piece.data(), rest)) != std::string::npos; rest = i) {
      if (!lines.FinishWith(piece.data() + i + 1, rest - i - 1, scan, visit)) return scan;
    }
    lines.Prepend(piece.data(), rest);
    end = start;
  }
  lines.Finish(scan, visit);
  return scan;
}

std::vector<RunRecord> EarlierRunsLike(const std::string& path, const RunRecord& run,
                                       std::size_t limit) {
  std::vector<RunRecord> earlier;
  if (limit == 0) return earlier;
  ScanHistoryNewestFirst(path, [&](RunRecord& other) {
    if (SameSetup(other, run) && other.Date != run.Date) earlier.push_back(std::move(other));
    return earlier.size() < limit;
  });
  std::reverse(earlier.begin(), earlier.end());
  return earlier;
}

}  // namespace tarnwell
