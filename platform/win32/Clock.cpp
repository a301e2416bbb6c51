// The performance counter and the wall clock on Windows.
#include "platform/Clock.h"

#include <windows.h>

namespace tarnwell::platform {
namespace {

CalendarTime FromSystemTime(const SYSTEMTIME& time) {
  return CalendarTime{time.wYear,   time.wMonth,  time.wDay,         time.wHour,
                      time.wMinute, time.wSecond, time.wMilliseconds};
}

}  // namespace

std::int64_t CounterNow() {
  LARGE_INTEGER count;
  ::QueryPerformanceCounter(&count);
  return count.QuadPart;
}

std::int64_t CounterFrequency() {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return frequency.QuadPart;
}

CalendarTime LocalTimeNow() {
  SYSTEMTIME time;
  ::GetLocalTime(&time);
  return FromSystemTime(time);
}

CalendarTime UtcTimeNow() {
  SYSTEMTIME time;
  ::GetSystemTime(&time);
  return FromSystemTime(time);
}

}  // namespace tarnwell::platform
