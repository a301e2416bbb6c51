// libFuzzer target for the history's reader: any bytes at the history path
// must be read without harm, every line the backwards reader hands on must be
// one of the file's own lines, and a line read as a run must say the same
// thing when written again (the writer's form is what the reader keeps), so
// a damaged or forged line can neither crash the list nor change meaning
// between the window, --history and --history --json.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/output/RunDocument.h"
#include "engine/output/RunHistory.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

const std::string& HistoryFile() {
  static const std::string path = [] {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr ? folder : "/tmp") + "/run-history-fuzz-" +
           std::to_string(getpid()) + ".jsonl";
  }();
  return path;
}

void Reads(std::string_view line) {
  const std::optional<tarnwell::RunRecord> whole = tarnwell::ParseHistoryLine(line);
  const std::optional<tarnwell::RunRecord> row =
      tarnwell::ParseHistoryLine(line, tarnwell::HistoryDetail::Row);
  if (!whole) return;
  // A row needs less of the line than the whole record does.
  Check(row.has_value());
  const std::string written = tarnwell::HistoryLine(*whole);
  const std::optional<tarnwell::RunRecord> again = tarnwell::ParseHistoryLine(written);
  Check(again.has_value());
  Check(tarnwell::HistoryLine(*again) == written);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  Reads(text);

  std::FILE* file = std::fopen(HistoryFile().c_str(), "wb");
  if (file == nullptr) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  std::vector<std::string> seen;
  tarnwell::ScanHistoryLinesNewestFirst(HistoryFile(), [&](std::string_view line) {
    seen.emplace_back(line);
    Reads(line);
    return tarnwell::LineRead::Next;
  });
  // Every line handed on stands in the file as it is.
  for (const std::string& line : seen) Check(text.find(line) != std::string_view::npos);
  std::remove(HistoryFile().c_str());
  return 0;
}
