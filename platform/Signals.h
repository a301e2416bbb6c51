// Turns the console's interrupt and termination signals into a stop request.
#pragma once

#include <atomic>
#include <functional>

namespace tarnwell::platform {

// After this call, an interrupt (Ctrl+C) or termination request sets `stop`
// instead of ending the process (a second one still does), and a closed
// output pipe no longer kills it. `stop` must outlive the process's run.
void InstallStopSignals(std::atomic<bool>& stop);

// For a window: after this call, a request to end the program (SIGTERM at
// logout, SIGHUP when the session goes, Ctrl+C or Ctrl+\ in the terminal
// that started it; on Windows the console and session end) calls `onQuit`
// once, on a thread of its own, so that the program can close as if the user
// had closed it. A second request ends the process at once. A closed output
// pipe no longer kills it. A later call replaces the watch and arms it anew.
void WatchQuitSignals(std::function<void()> onQuit);

}  // namespace tarnwell::platform
