// The runner's --total: a size in KB, MB, GB or TB from 1MB up, beyond the
// window's list (whose texts read as before).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwell::cli {

// Bytes of "4GB", "1536mb", "1TB" (units of 2^10, any letter case); nothing
// for anything else, for less than 1 MB, or for a size past 2^62 bytes.
std::optional<std::int64_t> ParseTotalSize(std::string_view text);

}  // namespace tarnwell::cli
