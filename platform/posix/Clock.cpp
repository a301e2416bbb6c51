// POSIX clocks: CLOCK_MONOTONIC in nanoseconds and CLOCK_REALTIME broken
// down into local or UTC calendar time.
#include "platform/Clock.h"

#include <ctime>

namespace tarnwell::platform {
namespace {

CalendarTime Calendar(bool local) {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::tm parts{};
  if (local) {
    ::localtime_r(&now.tv_sec, &parts);
  } else {
    ::gmtime_r(&now.tv_sec, &parts);
  }
  CalendarTime result;
  result.year = parts.tm_year + 1900;
  result.month = parts.tm_mon + 1;
  result.day = parts.tm_mday;
  result.hour = parts.tm_hour;
  result.minute = parts.tm_min;
  result.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;  // leap second
  result.millisecond = static_cast<int>(now.tv_nsec / 1000000);
  return result;
}

}  // namespace

std::int64_t CounterNow() {
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
}

std::int64_t CounterFrequency() { return 1000000000; }

CalendarTime LocalTimeNow() { return Calendar(true); }

CalendarTime UtcTimeNow() { return Calendar(false); }

std::int64_t UnixMicrosecondsNow() {
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

}  // namespace tarnwell::platform
