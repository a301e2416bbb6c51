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

std::int64_t UnixMicrosecondsNow() {
  // The precise reading where the system has it (Windows 8 on); the plain
  // one moves only with the timer tick (up to 15.6 ms).
  using Reading = void(WINAPI*)(LPFILETIME);
  static const Reading precise = reinterpret_cast<Reading>(reinterpret_cast<void*>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
  FILETIME time;
  if (precise != nullptr) {
    precise(&time);
  } else {
    ::GetSystemTimeAsFileTime(&time);
  }
  const std::int64_t ticks = static_cast<std::int64_t>(
      (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  // 100 ns ticks since 1601-01-01.
  constexpr std::int64_t TicksFrom1601To1970 = 116444736000000000;
  return (ticks - TicksFrom1601To1970) / 10;
}

}  // namespace tarnwell::platform
