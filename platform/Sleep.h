// Pauses that a stop request can cut short.
#pragma once

#include <atomic>

namespace tarnwell::platform {

// Sleeps for `milliseconds`, waking early once `stop` is set. Returns false
// when the pause was cut short by a stop request.
bool SleepUnlessStopped(int milliseconds, const std::atomic<bool>& stop);

}  // namespace tarnwell::platform
