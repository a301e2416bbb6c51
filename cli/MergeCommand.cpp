// Reading the documents to merge and writing what the merge gives.
#include "cli/MergeCommand.h"

#include <cstdio>

#include "cli/CliTexts.h"
#include "engine/fleet/MergedRuns.h"
#include "engine/output/AfterRun.h"
#include "engine/output/RunHistory.h"
#include "platform/Terminal.h"
#include "platform/TextFiles.h"

namespace tarnwell::cli {
namespace {

// Many times what a run document of ten repetitions holds (about 300 KB);
// what is larger is not one, and is not read into memory.
constexpr std::int64_t LargestDocument = 8 << 20;

void Complain(const std::string& text, const std::string& reason = {}) {
  std::fprintf(stderr, "tarnwell-cli: %s\n", RunMessages::WithReason(text, reason).c_str());
}

// The file's bytes, or nothing after saying why they could not be read.
std::optional<std::string> ReadDocument(const std::string& path) {
  platform::TextFileReader reader;
  const std::string cannotRead = CliTexts::Document + path + CliTexts::CannotRead;
  if (const platform::Status opened = reader.Open(path); !opened.Ok()) {
    Complain(cannotRead, FailureReason(opened));
    return std::nullopt;
  }
  if (reader.Size() > LargestDocument) {
    Complain(cannotRead, CliTexts::DocumentTooLarge);
    return std::nullopt;
  }
  std::string text(static_cast<std::size_t>(reader.Size()), '\0');
  const platform::TransferResult read = reader.ReadAt(0, text.data(), text.size());
  if (!read.Ok()) {
    Complain(cannotRead, FailureReason(read));
    return std::nullopt;
  }
  text.resize(read.bytes);
  return text;
}

}  // namespace

bool MergeDocuments(const CliOptions& options) {
  MergedRuns merged;
  for (const std::string& file : options.MergeFiles) {
    const std::optional<std::string> text = ReadDocument(file);
    if (!text) return false;
    if (!AddRun(merged, file, *text)) break;
  }
  FinishMerge(merged);
  if (!merged.Error.empty()) {
    Complain(merged.Error);
    return false;
  }
  bool written = true;
  if (!options.Report.empty()) {
    if (const std::optional<Refusal> refused =
            SaveUserOutput(options.Report, MergedHtmlReport(merged),
                           CliTexts::ReportFile + options.Report + CliTexts::CannotWriteReport)) {
      Complain(refused->Message);
      written = false;
    }
  }
  const std::string text = options.Json ? MergedJson(merged) : MergedText(merged);
  std::fwrite(text.data(), 1, text.size(), stdout);
  if (const platform::Status flushed = platform::FlushStandardOutput(); !flushed.Ok()) {
    Complain(CliTexts::OutputNotWritten, flushed.Text());
    return false;
  }
  return written;
}

}  // namespace tarnwell::cli
