// The linear congruential generator: its seed from the time of day, its draws.
#include "engine/verify/Generator.h"

#include "platform/Clock.h"

namespace tarnwell {

void Generator::SeedRandom() {
  const platform::CalendarTime now = platform::UtcTimeNow();
  RandomSeed = static_cast<std::uint32_t>(((now.hour * 60 + now.minute) * 60 + now.second) * 1000 +
                                          now.millisecond);
}

std::uint32_t Generator::RandomBelow(std::uint32_t range) {
  RandomSeed = RandomSeed * 134775813u + 1u;
  return static_cast<std::uint32_t>((static_cast<std::uint64_t>(range) * RandomSeed) >> 32);
}

std::int32_t Generator::RandomBetween(std::int32_t from, std::int32_t to) {
  // Differences and sums wrap as 32-bit values.
  const auto uFrom = static_cast<std::uint32_t>(from);
  const auto uTo = static_cast<std::uint32_t>(to);
  if (to < from) return static_cast<std::int32_t>(RandomBelow(uFrom - uTo) + uTo);
  return static_cast<std::int32_t>(RandomBelow(uTo - uFrom) + uFrom);
}

}  // namespace tarnwell
