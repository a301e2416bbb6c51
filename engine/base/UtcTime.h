// Wall-clock times that several machines compare, as microseconds since
// 1970-01-01 00:00:00 UTC: their ISO 8601 text and its reading back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tarnwell {

// "2026-12-10T05:40:12.345Z": UTC, milliseconds (cut, not rounded, so a
// time never reads as later than it was).
std::string FormatUtc(std::int64_t unixMicroseconds);

// A UTC time given as "2026-12-10T05:40:12Z" (a fraction of a second and
// an offset "+09:00" in place of the Z allowed) or as seconds since 1970
// ("1796881212" or "1796881212.5"); nothing when the text is neither, names
// a day or hour that does not exist, or lies outside the years 1970-9999.
// A time without Z or offset is refused: whose local time it meant is
// unknown.
std::optional<std::int64_t> ParseUtcTime(std::string_view text);

}  // namespace tarnwell
