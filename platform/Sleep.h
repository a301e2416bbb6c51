// Pauses that a stop request can cut short.
#pragma once

#include <atomic>
#include <cstdint>

namespace tarnwell::platform {

// Sleeps for `milliseconds`, waking early once `stop` is set. Answers
// whether the pause ran its course: false only when a stop request cut it
// short, never a failure.
bool SleepUnlessStopped(int milliseconds, const std::atomic<bool>& stop);

// Sleeps until the wall clock (UnixMicrosecondsNow) reaches `deadline`,
// returning within a few milliseconds of it, or early with false once `stop`
// is set. A wall clock set forward or back moves the wake-up with it.
bool SleepUntilWallClock(std::int64_t deadline, const std::atomic<bool>& stop);

}  // namespace tarnwell::platform
