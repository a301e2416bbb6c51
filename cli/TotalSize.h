// The runner's --total: a size in KB, MB, GB or TB from 1MB up, beyond the
// window's list (whose texts read as before).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tarnwell::cli {

// Bytes of "4GB", "1536MB", "1TB", "512kB" (units of 2^10; the prefix in
// either letter case, the B capital); nothing for anything else, for less
// than 1 MB, or for a size past 2^62 bytes.
std::optional<std::int64_t> ParseTotalSize(std::string_view text);

// Whether `text` ends in a small b, the sign of bits ("1Gb", "100mb"): never
// read as bytes, and refused with a word on why.
bool SpeaksOfBits(std::string_view text);

}  // namespace tarnwell::cli
