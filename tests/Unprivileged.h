// Runs part of a test as an unprivileged user, so that permission checks are
// tested where the suite runs as root (CI) too.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

namespace tarnwell::testing {

inline constexpr uid_t NobodyId = 65534;

// Runs `body` in a child process, as "nobody" when this process is root
// (`folder` and everything in it is handed to nobody first, so the child can
// work there). Returns the child's exit status: `body`'s result, or -1 when
// the child did not exit normally.
inline int RunUnprivileged(const std::string& folder, const std::function<int()>& body) {
  const bool root = ::geteuid() == 0;
  if (root) {
    std::error_code ignored;
    ::lchown(folder.c_str(), NobodyId, NobodyId);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, ignored)) {
      ::lchown(entry.path().c_str(), NobodyId, NobodyId);
    }
  }
  const pid_t child = ::fork();
  if (child == 0) {
    if (root && (::setgroups(0, nullptr) != 0 || ::setresgid(NobodyId, NobodyId, NobodyId) != 0 ||
                 ::setresuid(NobodyId, NobodyId, NobodyId) != 0)) {
      ::_exit(125);
    }
    ::_exit(body());
  }
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace tarnwell::testing
