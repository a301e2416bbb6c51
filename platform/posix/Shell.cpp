// Opening files and addresses through xdg-open, started in a session of its
// own so that the application it starts outlives neither a terminal's
// Ctrl+C nor the program's own signal settings.
#include "platform/Shell.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <future>
#include <memory>
#include <thread>

extern char** environ;

namespace tarnwell::platform {
namespace {

constexpr const char* Opener = "xdg-open";

// Frees the spawn descriptors on every path.
struct SpawnSettings {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  SpawnSettings() {
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawnattr_init(&attributes);
  }
  ~SpawnSettings() {
    ::posix_spawnattr_destroy(&attributes);
    ::posix_spawn_file_actions_destroy(&actions);
  }
  SpawnSettings(const SpawnSettings&) = delete;
  SpawnSettings& operator=(const SpawnSettings&) = delete;
};

// The exit status of `child`, or -1 when it did not exit normally.
int WaitForExit(pid_t child) {
  int status = 0;
  pid_t rc;
  do {
    rc = ::waitpid(child, &status, 0);
  } while (rc < 0 && errno == EINTR);
  if (rc != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace

Status OpenWithDesktop(const std::string& pathOrUrl, std::chrono::milliseconds wait) {
  if (pathOrUrl.empty()) return Status::Failure(ENOENT);
  // The opener takes no "--": a relative path must not look like an option.
  const std::string argument = pathOrUrl.front() == '-' ? "./" + pathOrUrl : pathOrUrl;

  SpawnSettings settings;
  // Nothing to read from our terminal; output and errors stay visible there.
  ::posix_spawn_file_actions_addopen(&settings.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  // Ignored or blocked signals would be inherited by the opened application
  // (the program ignores SIGPIPE); give it the defaults.
  sigset_t all;
  sigset_t none;
  ::sigfillset(&all);
  ::sigemptyset(&none);
  ::posix_spawnattr_setsigdefault(&settings.attributes, &all);
  ::posix_spawnattr_setsigmask(&settings.attributes, &none);
  ::posix_spawnattr_setflags(&settings.attributes,
                             POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID);

  char* const argv[] = {const_cast<char*>(Opener), const_cast<char*>(argument.c_str()), nullptr};
  pid_t child = 0;
  // posix_spawnp answers with the error number itself: no opener installed,
  // or no process to run it in.
  if (const int error =
          ::posix_spawnp(&child, Opener, &settings.actions, &settings.attributes, argv, environ);
      error != 0) {
    return Status::Failure(error);
  }

  // A thread of its own reaps the child whenever it ends, so an opener that
  // keeps running past the wait leaves no zombie behind.
  auto verdict = std::make_shared<std::promise<int>>();
  std::future<int> exitStatus = verdict->get_future();
  std::thread([child, verdict] { verdict->set_value(WaitForExit(child)); }).detach();

  if (exitStatus.wait_for(wait) != std::future_status::ready) return {};
  // The opener's refusal carries no native code: its exit status is its own.
  if (exitStatus.get() != 0) return Status::Failure(0);
  return {};
}

const char* OpenFolderCommandText() { return "ファイルマネージャで開く(&O)"; }

}  // namespace tarnwell::platform
