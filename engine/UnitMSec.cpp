#include "engine/UnitMSec.h"

#include <cmath>
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
  const long double duration = days;
  const long double fraction = duration - std::trunc(duration);
  const long double milliseconds = std::floor(fraction * MillisecondsPerDay);
  if (!(milliseconds >= 0)) return 0;  // negative or NaN
  return static_cast<std::int32_t>(milliseconds);
}

std::string FormatElapsed(double days) {
  const std::int64_t milliseconds = ElapsedMilliseconds(days);
  char text[32];
  std::snprintf(text, sizeof text, "%d.%.3d", static_cast<int>(milliseconds / 1000),
                static_cast<int>(milliseconds % 1000));
  return text;
}

}  // namespace tarnwell
