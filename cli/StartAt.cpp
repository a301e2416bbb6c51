// Accepting a common start time.
#include "cli/StartAt.h"

#include "cli/CliTexts.h"
#include "engine/base/UtcTime.h"

namespace tarnwell::cli {

std::string StartTimeRefusal(std::int64_t requested, std::int64_t now) {
  const char* refusal = requested < now - LatestStartMicroseconds     ? CliTexts::StartInThePast
                        : requested > now + FurthestStartMicroseconds ? CliTexts::StartTooFarAhead
                                                                      : nullptr;
  if (refusal == nullptr) return {};
  return refusal + FormatUtc(requested) + "\n" + CliTexts::ClockNow + FormatUtc(now);
}

}  // namespace tarnwell::cli
