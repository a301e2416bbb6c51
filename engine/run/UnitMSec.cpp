// The precise clock and the elapsed-time text.
#include "engine/run/UnitMSec.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace tarnwell {
namespace {

// Days from 1 January 1970 for a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 719468;
}

constexpr std::int64_t DaysFrom1899To1970 = 25569;
constexpr long double MillisecondsPerDay = 86400000.0L;

}  // namespace

double EncodeDateTime(const platform::CalendarTime& time) {
  const std::int64_t days =
      DaysFromCivil(time.year, static_cast<unsigned>(time.month), static_cast<unsigned>(time.day)) +
      DaysFrom1899To1970;
  const double fraction =
      static_cast<double>(((time.hour * 60 + time.minute) * 60 + time.second) * 1000 +
                          time.millisecond) /
      static_cast<double>(MillisecondsPerDay);
  return static_cast<double>(days) + fraction;
}

// The counter first, then the wall clock, as close together as possible.
const std::int64_t AnchorCount = platform::CounterNow();
const double AnchorTime = EncodeDateTime(platform::LocalTimeNow());

double PreciseNow() {
  const std::int64_t frequency = platform::CounterFrequency();
  const std::int64_t counter = platform::CounterNow();
  const long double elapsed =
      static_cast<long double>(counter) - static_cast<long double>(AnchorCount);
  const long double days = elapsed / (static_cast<long double>(frequency) * 86400.0L);
  return static_cast<double>(days + static_cast<long double>(AnchorTime));
}

std::int32_t ElapsedMilliseconds(double days) {
  // floor(fraction of the day x 86400000) as 80-bit extended arithmetic
  // gives it, computed with integers so that no compiler, thread or x87
  // precision setting (a CreateThread thread runs at 53 bits) changes it.
  if (!(days >= 0) || std::isinf(days)) return 0;   // negative, NaN or endless
  const double fraction = days - std::trunc(days);  // exact in double
  if (fraction == 0) return 0;
  int exponent = 0;
  const double mantissa = std::frexp(fraction, &exponent);  // fraction = mantissa x 2^exponent
  const auto significand = static_cast<std::uint64_t>(std::ldexp(mantissa, 53));
  const int shift = 53 - exponent;  // fraction = significand / 2^shift
  // The exact product, below 2^80, as two 64-bit halves.
  constexpr std::uint64_t Factor = 86400000;
  const std::uint64_t low32 = (significand & 0xFFFFFFFFu) * Factor;
  const std::uint64_t high32 = (significand >> 32) * Factor;
  std::uint64_t lo = low32 + (high32 << 32);
  std::uint64_t hi = (high32 >> 32) + (lo < low32 ? 1 : 0);
  // The x87 keeps 64 significant bits, rounding to nearest, ties to even.
  const int bits = hi != 0 ? 128 - __builtin_clzll(hi) : 64 - __builtin_clzll(lo);
  if (bits > 64) {
    const int cut = bits - 64;  // 1 to 16 bits of `lo` to round away
    const std::uint64_t half = std::uint64_t{1} << (cut - 1);
    const std::uint64_t rest = lo & ((half << 1) - 1);
    lo = (lo >> cut) | (hi << (64 - cut));
    hi >>= cut;
    if (rest > half || (rest == half && (lo & 1))) {
      ++lo;
      if (lo == 0) ++hi;
    }
    // Back to its scale: value = (hi:lo) x 2^cut / 2^shift.
    const int down = shift - cut;
    if (down >= 128) return 0;
    if (down <= 0) return static_cast<std::int32_t>(lo << -down);
    const std::uint64_t result =
        down >= 64 ? hi >> (down - 64) : (lo >> down) | (down == 0 ? 0 : hi << (64 - down));
    return static_cast<std::int32_t>(result);
  }
  if (shift >= 64) return 0;
  return static_cast<std::int32_t>(lo >> shift);
}

std::string FormatElapsed(double days) {
  const std::int64_t milliseconds = ElapsedMilliseconds(days);
  char text[32];
  std::snprintf(text, sizeof text, "%d.%.3d", static_cast<int>(milliseconds / 1000),
                static_cast<int>(milliseconds % 1000));
  return text;
}

}  // namespace tarnwell
