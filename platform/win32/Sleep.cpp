// Interruptible pauses on Windows: short waits, so that a stop request (set
// from a console control handler, which runs on a thread of its own) is
// seen within a few tens of milliseconds.
#include "platform/Sleep.h"

#include <windows.h>

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

}  // namespace tarnwell::platform
