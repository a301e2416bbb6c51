// A common start for runs on many machines: which times are accepted.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwell::cli {

// More than this late, a run would not start with the others; further ahead
// than a day is far more likely a mistyped date than a plan.
inline constexpr std::int64_t LatestStartMicroseconds = 1000000;
inline constexpr std::int64_t FurthestStartMicroseconds = 24LL * 3600 * 1000000;

// Why the run must not wait for `requested` when the clock says `now` (both
// microseconds since 1970, UTC), as the user reads it; empty when accepted.
std::string StartTimeRefusal(std::int64_t requested, std::int64_t now);

}  // namespace tarnwell::cli
