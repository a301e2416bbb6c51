// Priority on Windows: the classes belong to the process, as the program has
// always set them, so the threads it starts run at the chosen class too.
#include "platform/Priority.h"

#include <windows.h>

namespace tarnwell::platform {

bool SetPriorityClass(PriorityClass priority) {
  static constexpr DWORD Classes[] = {IDLE_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS,
                                      HIGH_PRIORITY_CLASS, REALTIME_PRIORITY_CLASS};
  return ::SetPriorityClass(::GetCurrentProcess(), Classes[static_cast<int>(priority)]) != 0;
}

bool LowerThreadPriority() {
  return ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST) != 0;
}

}  // namespace tarnwell::platform
