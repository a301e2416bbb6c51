// SIGINT, SIGTERM, SIGHUP and SIGQUIT set a stop flag; a second one ends the process at once.
// SIGPIPE is ignored.
#include "platform/Signals.h"

#include <csignal>

namespace tarnwell::platform {
namespace {

std::atomic<bool>* stopFlag = nullptr;

extern "C" void OnStopSignal(int signalNumber) {
  if (stopFlag != nullptr && !stopFlag->exchange(true)) return;
  // Asked twice: the user wants out now.
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

}  // namespace

void InstallStopSignals(std::atomic<bool>& stop) {
  stopFlag = &stop;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: let a blocked call return promptly
  // A closed terminal or a dropped ssh session (SIGHUP) and Ctrl+\ (SIGQUIT)
  // must not strand thousands of test files either.
  for (int signalNumber : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
    sigaction(signalNumber, &action, nullptr);
  // A reader that goes away (`| head`) must not kill a run halfway and leave
  // its test files behind; the failed write is simply lost.
  std::signal(SIGPIPE, SIG_IGN);
}

}  // namespace tarnwell::platform
