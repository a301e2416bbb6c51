// The program's pseudo-random generator: a 32-bit linear congruential state,
// seeded once from the UTC time of day. It fills the pattern buffer and later
// picks the random read order, continuing the same sequence.
#pragma once

#include <cstdint>

namespace tarnwell {

class Generator {
public:
  std::uint32_t RandomSeed = 0;

  // Seeds from the milliseconds since UTC midnight.
  void SeedRandom();
  // Advances the state, then returns a value from 0 to range - 1.
  std::uint32_t RandomBelow(std::uint32_t range);
  // A value from the lower bound up to one below the upper bound.
  std::int32_t RandomBetween(std::int32_t from, std::int32_t to);
};

}  // namespace tarnwell
