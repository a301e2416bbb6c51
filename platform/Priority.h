// Scheduling priority of the calling thread (and of the threads it starts).
#pragma once

namespace tarnwell::platform {

enum class PriorityClass { Idle, Normal, High, Realtime };

// Sets CPU and I/O priority of the calling thread. Returns false, leaving the
// previous priority in place, when the system refuses (no privilege).
bool SetPriorityClass(PriorityClass priority);

}  // namespace tarnwell::platform
