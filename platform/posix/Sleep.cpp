// Interruptible pauses: short slices so that a stop request (possibly set
// from a signal handler, which cannot notify a condition variable) is seen
// within a few tens of milliseconds.
#include "platform/Sleep.h"

#include <cerrno>
#include <ctime>

#include "platform/Clock.h"

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

bool SleepUntilWallClock(std::int64_t deadline, const std::atomic<bool>& stop) {
  constexpr std::int64_t SliceMicroseconds = 20000;
  for (;;) {
    if (stop.load(std::memory_order_relaxed)) return false;
    const std::int64_t now = UnixMicrosecondsNow();
    if (now >= deadline) return true;
    // The last slice sleeps to the deadline itself on the realtime clock.
    const std::int64_t wake =
        deadline - now > SliceMicroseconds ? now + SliceMicroseconds : deadline;
    timespec until{};
    until.tv_sec = static_cast<time_t>(wake / 1000000);
    until.tv_nsec = static_cast<long>(wake % 1000000) * 1000;
    ::clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &until, nullptr);
  }
}

}  // namespace tarnwell::platform
