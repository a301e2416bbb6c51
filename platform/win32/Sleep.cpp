// Interruptible pauses on Windows: short waits, so that a stop request (set
// from a console control handler, which runs on a thread of its own) is
// seen within a few tens of milliseconds.
#include "platform/Sleep.h"

#include <windows.h>

#include "platform/Clock.h"

namespace tarnwell::platform {

bool SleepUnlessStopped(int milliseconds, const std::atomic<bool>& stop) {
  constexpr ULONGLONG SliceMilliseconds = 20;
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(milliseconds);
  for (;;) {
    if (stop.load(std::memory_order_relaxed)) return false;
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) return true;
    ::Sleep(static_cast<DWORD>(deadline - now < SliceMilliseconds ? deadline - now
                                                                  : SliceMilliseconds));
  }
}

bool SleepUntilWallClock(std::int64_t deadline, const std::atomic<bool>& stop) {
  // Sleep() may overshoot by a timer tick (up to 15.6 ms): the last 20 ms
  // are spent yielding instead, so the wake-up lands within a millisecond.
  constexpr std::int64_t SliceMicroseconds = 20000;
  for (;;) {
    if (stop.load(std::memory_order_relaxed)) return false;
    const std::int64_t left = deadline - UnixMicrosecondsNow();
    if (left <= 0) return true;
    ::Sleep(left > 2 * SliceMicroseconds ? static_cast<DWORD>(SliceMicroseconds / 1000) : 0);
  }
}

}  // namespace tarnwell::platform
