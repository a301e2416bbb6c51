// Console control events on Windows: Ctrl+C, Ctrl+Break and closing the
// console set the stop flag; a second request ends the process at once.
#include "platform/Signals.h"

#include <windows.h>

#include <thread>

namespace tarnwell::platform {
namespace {

std::atomic<bool>* stopFlag = nullptr;
std::function<void()>* quitHandler = nullptr;
std::atomic<bool> quitRequested{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (stopFlag != nullptr) {
    // FALSE hands a repeated request to the default handler, which ends the
    // process; a console close must be answered within a few seconds anyway.
    if (stopFlag->exchange(true)) return FALSE;
    if (event == CTRL_CLOSE_EVENT) ::Sleep(4000);  // time for the run to clean up
    return TRUE;
  }
  return FALSE;
}

BOOL WINAPI OnQuitEvent(DWORD event) {
  if (event != CTRL_CLOSE_EVENT && event != CTRL_LOGOFF_EVENT && event != CTRL_SHUTDOWN_EVENT) {
    return FALSE;
  }
  if (quitRequested.exchange(true) || quitHandler == nullptr) return FALSE;
  std::thread(*quitHandler).detach();
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
