// Priority on Windows: the classes belong to the process, as the program has
// always set them, so the threads it starts run at the chosen class too.
#include "platform/Priority.h"

#include <windows.h>

namespace tarnwell::platform {

namespace {

// How a call that answers with a BOOL went, with GetLastError()'s code.
Status StatusOf(BOOL succeeded) {
  return succeeded ? Status{} : Status::Failure(static_cast<int>(::GetLastError()));
}

}  // namespace

Status SetPriorityClass(PriorityClass priority) {
  static constexpr DWORD Classes[] = {IDLE_PRIORITY_CLASS, NORMAL_PRIORITY_CLASS,
                                      HIGH_PRIORITY_CLASS, REALTIME_PRIORITY_CLASS};
  return StatusOf(::SetPriorityClass(::GetCurrentProcess(), Classes[static_cast<int>(priority)]));
}

Status LowerThreadPriority() {
  return StatusOf(::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_LOWEST));
}

}  // namespace tarnwell::platform
