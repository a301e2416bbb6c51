// Scheduling priority of the calling thread (and of the threads it starts).
#pragma once

#include "platform/Error.h"

namespace tarnwell::platform {

enum class PriorityClass { Idle, Normal, High, Realtime };

// Sets CPU and I/O priority of the calling thread. Not Ok(), leaving the
// previous priority in place, when the system refuses (no privilege).
Status SetPriorityClass(PriorityClass priority);

// Puts the calling thread below the program's other threads, for work that
// must never delay them (a verified run's checker beside the timed reads):
// the thread gets the processor whenever they do not want it, and gives it
// up at once when they wake. On Windows the lowest priority within the
// process's class. Not Ok() when the system refuses; the thread runs on as
// it was.
Status LowerThreadPriority();

}  // namespace tarnwell::platform
