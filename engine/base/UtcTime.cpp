// ISO 8601 UTC texts and seconds since 1970.
#include "engine/base/UtcTime.h"

#include <cstdio>

namespace tarnwell {
namespace {

constexpr std::int64_t MicrosecondsPerSecond = 1000000;
constexpr std::int64_t SecondsPerDay = 86400;
// 10000-01-01T00:00:00Z: later times do not fit the four-digit year.
constexpr std::int64_t EndOfYear9999 = 253402300800;

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

void CivilFromDays(std::int64_t days, std::int64_t& year, int& month, int& day) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra =
      (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shifted = (5 * dayOfYear + 2) / 153;
  day = static_cast<int>(dayOfYear - (153 * shifted + 2) / 5 + 1);
  month = static_cast<int>(shifted < 10 ? shifted + 3 : shifted - 9);
  year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
}

int DaysInMonth(std::int64_t year, int month) {
  static constexpr int Days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : Days[month - 1];
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads exactly `count` digits at `at`.
bool Digits(std::string_view text, std::size_t& at, std::size_t count, int& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (!IsDigit(text[at + i])) return false;
    value = value * 10 + (text[at + i] - '0');
  }
  at += count;
  return true;
}

bool Expect(std::string_view text, std::size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

// ".5", ".345", ".123456789": the microseconds of a fraction (further
// digits cut); `at` stays put when there is none.
bool Fraction(std::string_view text, std::size_t& at, std::int64_t& microseconds) {
  microseconds = 0;
  if (at >= text.size() || text[at] != '.') return true;
  ++at;
  std::size_t digits = 0;
  std::int64_t scale = MicrosecondsPerSecond;
  for (; at < text.size() && IsDigit(text[at]); ++at, ++digits) {
    if (scale > 1) {
      scale /= 10;
      microseconds += (text[at] - '0') * scale;
    }
  }
  return digits > 0;
}

std::optional<std::int64_t> EpochSeconds(std::string_view text) {
  std::size_t at = 0;
  std::int64_t seconds = 0;
  for (; at < text.size() && IsDigit(text[at]); ++at) {
    seconds = seconds * 10 + (text[at] - '0');
    if (seconds >= EndOfYear9999) return std::nullopt;
  }
  if (at == 0) return std::nullopt;
  std::int64_t microseconds = 0;
  if (!Fraction(text, at, microseconds) || at != text.size()) return std::nullopt;
  return seconds * MicrosecondsPerSecond + microseconds;
}

// The zone after the time: "Z", or an offset "+hh:mm" / "-hh:mm" east of
// UTC in seconds; nullopt for anything else.
std::optional<std::int64_t> ZoneOffset(std::string_view text, std::size_t& at) {
  if (at < text.size() && (text[at] == 'Z' || text[at] == 'z')) {
    ++at;
    return 0;
  }
  if (at >= text.size() || (text[at] != '+' && text[at] != '-')) return std::nullopt;
  const std::int64_t sign = text[at] == '+' ? 1 : -1;
  ++at;
  int offsetHours = 0, offsetMinutes = 0;
  if (!Digits(text, at, 2, offsetHours) || !Expect(text, at, ':') ||
      !Digits(text, at, 2, offsetMinutes) || offsetHours > 23 || offsetMinutes > 59) {
    return std::nullopt;
  }
  return sign * (std::int64_t{offsetHours} * 3600 + std::int64_t{offsetMinutes} * 60);
}

}  // namespace

std::string FormatUtc(std::int64_t unixMicroseconds) {
  std::int64_t seconds = unixMicroseconds / MicrosecondsPerSecond;
  std::int64_t microseconds = unixMicroseconds % MicrosecondsPerSecond;
  if (microseconds < 0) {
    microseconds += MicrosecondsPerSecond;
    --seconds;
  }
  std::int64_t days = seconds / SecondsPerDay;
  std::int64_t secondOfDay = seconds % SecondsPerDay;
  if (secondOfDay < 0) {
    secondOfDay += SecondsPerDay;
    --days;
  }
  std::int64_t year = 0;
  int month = 0;
  int day = 0;
  CivilFromDays(days, year, month, day);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02d.%03dZ",
                static_cast<long long>(year), month, day, static_cast<int>(secondOfDay / 3600),
                static_cast<int>(secondOfDay / 60 % 60), static_cast<int>(secondOfDay % 60),
                static_cast<int>(microseconds / 1000));
  return text;
}

std::optional<std::int64_t> ParseUtcTime(std::string_view text) {
  if (text.find('-') == std::string_view::npos) return EpochSeconds(text);
  std::size_t at = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!Digits(text, at, 4, year) || !Expect(text, at, '-') || !Digits(text, at, 2, month) ||
      !Expect(text, at, '-') || !Digits(text, at, 2, day)) {
    return std::nullopt;
  }
  if (at >= text.size() || (text[at] != 'T' && text[at] != 't' && text[at] != ' ')) {
    return std::nullopt;
  }
  ++at;
  if (!Digits(text, at, 2, hour) || !Expect(text, at, ':') || !Digits(text, at, 2, minute) ||
      !Expect(text, at, ':') || !Digits(text, at, 2, second)) {
    return std::nullopt;
  }
  std::int64_t microseconds = 0;
  if (!Fraction(text, at, microseconds)) return std::nullopt;
  if (year < 1970 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  const std::optional<std::int64_t> offsetSeconds = ZoneOffset(text, at);
  if (!offsetSeconds || at != text.size()) return std::nullopt;
  const std::int64_t seconds = DaysFromCivil(year, month, day) * SecondsPerDay +
                               std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second -
                               *offsetSeconds;
  if (seconds < 0 || seconds >= EndOfYear9999) return std::nullopt;
  return seconds * MicrosecondsPerSecond + microseconds;
}

}  // namespace tarnwell
