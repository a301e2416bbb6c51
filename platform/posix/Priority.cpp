// CPU and I/O priority on Linux. Both belong to the calling thread (and are
// inherited by threads it creates afterwards), so a run's worker thread must
// set the class itself.
#include "platform/Priority.h"

#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>

namespace tarnwell::platform {
namespace {

// From linux/ioprio.h, which not every libc exposes.
constexpr int IoprioClassShift = 13;
constexpr int IoprioClassRt = 1;
constexpr int IoprioClassBe = 2;
constexpr int IoprioClassIdle = 3;
constexpr int IoprioWhoProcess = 1;  // with id 0: the calling thread

int IoPriority(int ioClass, int level) { return (ioClass << IoprioClassShift) | level; }

int GetIoPriority() { return static_cast<int>(::syscall(SYS_ioprio_get, IoprioWhoProcess, 0)); }

bool SetIoPriority(int value) { return ::syscall(SYS_ioprio_set, IoprioWhoProcess, 0, value) == 0; }

struct ThreadPriority {
  int policy = SCHED_OTHER;
  sched_param param{};
  int nice = 0;
  int io = 0;
};

ThreadPriority Current() {
  ThreadPriority state;
  state.policy = ::sched_getscheduler(0);
  ::sched_getparam(0, &state.param);
  errno = 0;
  state.nice = ::getpriority(PRIO_PROCESS, 0);
  state.io = GetIoPriority();
  return state;
}

Status Apply(int policy, int rtPriority, int nice, int io) {
  sched_param param{};
  param.sched_priority = rtPriority;
  if (::sched_setscheduler(0, policy, &param) != 0) return Status::Failure(errno);
  // nice has no meaning under SCHED_IDLE and real-time classes; set it anyway
  // so that a later switch back to SCHED_OTHER starts from a known value.
  if (policy == SCHED_OTHER && ::setpriority(PRIO_PROCESS, 0, nice) != 0) {
    return Status::Failure(errno);
  }
  if (!SetIoPriority(io)) return Status::Failure(errno);
  return {};
}

void Restore(const ThreadPriority& state) {
  if (state.policy >= 0) ::sched_setscheduler(0, state.policy, &state.param);
  ::setpriority(PRIO_PROCESS, 0, state.nice);
  if (state.io >= 0) SetIoPriority(state.io);
}

}  // namespace

Status SetPriorityClass(PriorityClass priority) {
  const ThreadPriority previous = Current();
  Status applied = Status::Failure(EINVAL);
  switch (priority) {
    case PriorityClass::Idle:
      applied = Apply(SCHED_IDLE, 0, 0, IoPriority(IoprioClassIdle, 0));
      break;
    case PriorityClass::Normal:
      applied = Apply(SCHED_OTHER, 0, 0, IoPriority(IoprioClassBe, 4));
      break;
    case PriorityClass::High:
      applied = Apply(SCHED_OTHER, 0, -10, IoPriority(IoprioClassBe, 0));
      break;
    case PriorityClass::Realtime:
      applied = Apply(SCHED_RR, 1, 0, IoPriority(IoprioClassRt, 4));
      break;
  }
  if (!applied.Ok()) Restore(previous);
  return applied;
}

Status LowerThreadPriority() {
  // Under SCHED_IDLE (the idle class) it is below every other thread
  // already; a real-time thread first returns to the normal policy.
  const int policy = ::sched_getscheduler(0);
  if (policy == SCHED_IDLE) return {};
  if (policy == SCHED_FIFO || policy == SCHED_RR) {
    const sched_param param{};
    if (::sched_setscheduler(0, SCHED_OTHER, &param) != 0) return Status::Failure(errno);
  }
  if (::setpriority(PRIO_PROCESS, 0, 19) != 0) return Status::Failure(errno);
  return {};
}

}  // namespace tarnwell::platform
