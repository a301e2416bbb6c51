// Interruptible pauses: short slices so that a stop request (possibly set
// from a signal handler, which cannot notify a condition variable) is seen
// within a few tens of milliseconds.
#include "platform/Sleep.h"

#include <cerrno>
#include <ctime>

namespace tarnwell::platform {

bool SleepUnlessStopped(int milliseconds, const std::atomic<bool>& stop) {
  constexpr long SliceNanoseconds = 20L * 1000 * 1000;
  timespec deadline{};
  ::clock_gettime(CLOCK_MONOTONIC, &deadline);
  deadline.tv_sec += milliseconds / 1000;
  deadline.tv_nsec += static_cast<long>(milliseconds % 1000) * 1000000;
  if (deadline.tv_nsec >= 1000000000) {
    deadline.tv_sec += 1;
    deadline.tv_nsec -= 1000000000;
  }
  for (;;) {
    if (stop.load(std::memory_order_relaxed)) return false;
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    if (now.tv_sec > deadline.tv_sec ||
        (now.tv_sec == deadline.tv_sec && now.tv_nsec >= deadline.tv_nsec)) {
      return true;
    }
    timespec wake = now;
    wake.tv_nsec += SliceNanoseconds;
    if (wake.tv_nsec >= 1000000000) {
      wake.tv_sec += 1;
      wake.tv_nsec -= 1000000000;
    }
    if (wake.tv_sec > deadline.tv_sec ||
        (wake.tv_sec == deadline.tv_sec && wake.tv_nsec > deadline.tv_nsec)) {
      wake = deadline;
    }
    ::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &wake, nullptr);
  }
}

}  // namespace tarnwell::platform
