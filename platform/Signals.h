// Turns the console's interrupt and termination signals into a stop request.
#pragma once

#include <atomic>

namespace tarnwell::platform {

// After this call, an interrupt (Ctrl+C) or termination request sets `stop`
// instead of ending the process. `stop` must outlive the process's run.
void InstallStopSignals(std::atomic<bool>& stop);

}  // namespace tarnwell::platform
