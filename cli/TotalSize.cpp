// Reading a total size given on the command line.
#include "cli/TotalSize.h"

#include <charconv>

#include "engine/model/RunParameters.h"

namespace tarnwell::cli {

std::optional<std::int64_t> ParseTotalSize(std::string_view text) {
  if (text.size() < 3) return std::nullopt;
  std::string_view unitText = text.substr(text.size() - 2);
  const std::string_view number = text.substr(0, text.size() - 2);
  std::int64_t unit = 0;
  // The prefix in either case ("kB" is the SI spelling), the B capital: a
  // small b is a bit, and "1Gb" is an eighth of "1GB".
  for (const auto& [name, bytes] : TotalUnits) {
    if ((unitText[0] == name[0] || unitText[0] == name[0] - 'A' + 'a') && unitText[1] == 'B') {
      unit = bytes;
    }
  }
  // Digits only: no sign, no space, no fraction.
  if (unit == 0 || number.front() < '0' || number.front() > '9') return std::nullopt;
  std::uint64_t count = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), count);
  if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  constexpr std::uint64_t Largest = std::uint64_t{1} << 62;
  if (count > Largest / static_cast<std::uint64_t>(unit)) return std::nullopt;
  const auto bytes = static_cast<std::int64_t>(count) * unit;
  if (bytes < (std::int64_t{1} << 20)) return std::nullopt;
  return bytes;
}

bool SpeaksOfBits(std::string_view text) { return text.size() >= 2 && text.back() == 'b'; }

}  // namespace tarnwell::cli
