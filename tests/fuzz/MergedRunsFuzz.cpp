// libFuzzer target for the merge's document reader: the input is one or
// more run documents, each ended by a NUL byte (which no document holds).
// Any bytes must be taken in or refused with a reason, never crash; a merge
// that succeeds must write its text, a document that reads back as JSON,
// and its report.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/base/Json.h"
#include "engine/fleet/MergedRuns.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  tarnwell::MergedRuns merged;
  bool taken = true;
  for (int host = 0; taken && !input.empty() && host < 8; ++host) {
    const std::size_t end = input.find('\0');
    const std::string_view document = input.substr(0, end);
    taken = tarnwell::AddRun(merged, "host" + std::to_string(host) + ".json", document);
    Check(taken == merged.Error.empty());
    input = end == std::string_view::npos ? std::string_view() : input.substr(end + 1);
  }
  if (!taken) return 0;
  tarnwell::FinishMerge(merged);
  if (!merged.Error.empty()) return 0;
  (void)tarnwell::MergedText(merged);
  (void)tarnwell::MergeNotes(merged);
  Check(tarnwell::ParseJson(tarnwell::MergedJson(merged)).has_value());
  Check(!tarnwell::MergedHtmlReport(merged).empty());
  return 0;
}
