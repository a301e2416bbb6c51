// Random run identities.
#include "engine/base/RunId.h"

#include <array>
#include <cstdint>
#include <random>

namespace tarnwell {

std::string NewRunId() {
  // The system's entropy source (getrandom, or rand_s on Windows): runs
  // started together on many machines must not share a seed.
  std::random_device entropy;
  std::array<std::uint8_t, 16> bytes{};
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    const std::uint32_t word = entropy();
    for (std::size_t k = 0; k < 4; ++k) bytes[i + k] = static_cast<std::uint8_t>(word >> (8 * k));
  }
  bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  static constexpr char Hex[] = "0123456789abcdef";
  std::string id;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) id += '-';
    id += Hex[bytes[i] >> 4];
    id += Hex[bytes[i] & 0x0F];
  }
  return id;
}

}  // namespace tarnwell
