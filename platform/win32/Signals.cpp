// Console control events on Windows: Ctrl+C, Ctrl+Break, closing the
// console, logoff and shutdown set the stop flag; a second Ctrl+C or
// Ctrl+Break ends the process at once.
#include "platform/Signals.h"

#include <windows.h>

#include <thread>

namespace tarnwell::platform {
namespace {

std::atomic<bool>* stopFlag = nullptr;
std::function<void()>* quitHandler = nullptr;
std::atomic<bool> quitRequested{false};

// The system ends the process once the handler of these returns, and five
// seconds after the event at the latest.
bool EndsTheProcess(DWORD event) {
  return event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT;
}

// How long the handler keeps the process alive for the run to stop and
// clean up, within the system's five seconds. The program's own end, once
// the run has cleaned up, ends the process sooner.
constexpr DWORD CleanUpMilliseconds = 4500;

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (stopFlag == nullptr) return FALSE;
  const bool repeated = stopFlag->exchange(true);
  if (!EndsTheProcess(event)) {
    // FALSE hands a repeated request to the default handler, which ends the
    // process: the user wants out now.
    return repeated ? FALSE : TRUE;
  }
  // Whatever came before (a Ctrl+C whose run is still cleaning up), the
  // answer would end the process at once: wait instead.
  ::Sleep(CleanUpMilliseconds);
  return TRUE;
}

BOOL WINAPI OnQuitEvent(DWORD event) {
  if (!EndsTheProcess(event)) return FALSE;
  if (quitRequested.exchange(true) || quitHandler == nullptr) return FALSE;
  std::thread(*quitHandler).detach();
  // The window closes as its close box does; answering at once would end
  // the process before it has.
  ::Sleep(CleanUpMilliseconds);
  return TRUE;
}

}  // namespace

void InstallStopSignals(std::atomic<bool>& stop) {
  stopFlag = &stop;
  ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

void WatchQuitSignals(std::function<void()> onQuit) {
  quitHandler = new std::function<void()>(std::move(onQuit));
  ::SetConsoleCtrlHandler(OnQuitEvent, TRUE);
}

}  // namespace tarnwell::platform
