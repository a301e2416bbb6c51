// Monotonic high-resolution counter and wall-clock readings.
#pragma once

#include <cstdint>

namespace tarnwell::platform {

// Counts of a monotonic counter that is not moved by changes of the wall clock.
std::int64_t CounterNow();
// Counts per second of CounterNow.
std::int64_t CounterFrequency();

struct CalendarTime {
  int year = 0;
  int month = 0;  // 1-12
  int day = 0;    // 1-31
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

CalendarTime LocalTimeNow();
CalendarTime UtcTimeNow();

// The wall clock as microseconds since 1970-01-01 00:00:00 UTC, for times
// that several machines compare (a common start, when a phase ran).
std::int64_t UnixMicrosecondsNow();

}  // namespace tarnwell::platform
