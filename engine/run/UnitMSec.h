// The precise clock: time stamps in days (a date-time double) driven by the
// monotonic counter and anchored once to the local wall clock, and the
// elapsed-time text with whole milliseconds.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"

namespace tarnwell {

// Taken once, before anything can call PreciseNow, and never refreshed: the
// stamps keep counting from here even when the wall clock is changed.
extern const std::int64_t AnchorCount;
extern const double AnchorTime;

// Days since 30 December 1899 for a calendar date and time of day.
double EncodeDateTime(const platform::CalendarTime& time);

// The current time in days since 30 December 1899, local time.
double PreciseNow();

// Whole milliseconds in the fractional day of `days` (whole days dropped),
// rounded down in extended precision. Negative durations give 0.
std::int32_t ElapsedMilliseconds(double days);

// "%d.%.3d": seconds and milliseconds of a duration given in days.
std::string FormatElapsed(double days);

}  // namespace tarnwell
