// SIGINT, SIGTERM, SIGHUP and SIGQUIT set a stop flag or announce a quit
// request; a second one ends the process at once. SIGPIPE is ignored.
#include "platform/Signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <thread>

namespace tarnwell::platform {
namespace {

std::atomic<bool>* stopFlag = nullptr;

extern "C" void OnStopSignal(int signalNumber) {
  if (stopFlag != nullptr && !stopFlag->exchange(true)) return;
  // Asked twice: the user wants out now.
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

// The write end of the pipe a quit request is announced on.
std::atomic<int> quitPipe{-1};
std::atomic<bool> quitRequested{false};

extern "C" void OnQuitSignal(int signalNumber) {
  if (!quitRequested.exchange(true)) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(quitPipe, &byte, 1);
    errno = saved;
    return;
  }
  std::signal(signalNumber, SIG_DFL);
  std::raise(signalNumber);
}

}  // namespace

void WatchQuitSignals(std::function<void()> onQuit) {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) return;
  // A new watch replaces the earlier one: its reader sees the end of its
  // pipe and stops without calling anything.
  const int previous = quitPipe.exchange(ends[1]);
  quitRequested = false;
  if (previous >= 0) ::close(previous);
  // Only async-signal-safe work in the handler; the rest on this thread.
  std::thread([reader = ends[0], onQuit = std::move(onQuit)] {
    char byte;
    ssize_t n;
    do {
      n = ::read(reader, &byte, 1);
    } while (n < 0 && errno == EINTR);
    ::close(reader);
    if (n == 1) onQuit();
  }).detach();
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  // Ctrl+C and Ctrl+\ in the terminal that started the window are requests
  // to end it too: dying on them would strand the run's test files.
  for (int signalNumber : {SIGTERM, SIGHUP, SIGINT, SIGQUIT})
    sigaction(signalNumber, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

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
