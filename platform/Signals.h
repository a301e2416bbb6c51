// Turns the console's interrupt and termination signals into a stop request.
#pragma once

#include <atomic>

namespace tarnwell::platform {

// After this call, an interrupt (Ctrl+C) or termination request sets `stop`
// instead of ending the process (a second one still does), and a closed
// output pipe no longer kills it. `stop` must outlive the process's run.
void InstallStopSignals(std::atomic<bool>& stop);

}  // namespace tarnwell::platform
