// Temporary files beside the file they will replace, and the clearing of
// those that crashed writers left behind.
#include "platform/posix/TemporaryFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/PathNames.h"

namespace tarnwell::platform {
namespace {

constexpr int TemporaryNameAttempts = 100;

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.size() <= 10 &&
         text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process that made a temporary, from what follows "NAME.tmp-": exactly
// "PID-N", both decimal. Anything else is not ours.
std::optional<pid_t> WriterOf(std::string_view rest) {
  const std::size_t dash = rest.find('-');
  if (dash == std::string_view::npos || !AllDigits(rest.substr(0, dash)) ||
      !AllDigits(rest.substr(dash + 1))) {
    return std::nullopt;
  }
  const long pid = std::strtol(std::string(rest.substr(0, dash)).c_str(), nullptr, 10);
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return std::nullopt;
  return static_cast<pid_t>(pid);
}

}  // namespace

void RemoveStaleTemporaries(const std::string& path) {
  const std::string folder = ContainingFolder(path);
  const std::string prefix = NameOf(path) + ".tmp-";
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return;
  std::vector<std::string> stale;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (!name.starts_with(prefix)) continue;
    const std::optional<pid_t> writer = WriterOf(name.substr(prefix.size()));
    if (!writer) continue;
    std::string full = folder;
    full += '/';
    full += name;
    struct stat info {};
    if (::lstat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
      continue;
    }
    if (::kill(*writer, 0) != 0 && errno == ESRCH) stale.push_back(full);
  }
  ::closedir(listing);
  for (const std::string& name : stale) ::unlink(name.c_str());
}

Result<TemporaryFile> CreateTemporaryBeside(const std::string& path, mode_t mode) {
  RemoveStaleTemporaries(path);
  const std::string base = path + ".tmp-" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
    std::string name = base + std::to_string(attempt);
    int fd = -1;
    do {
      // O_EXCL with O_NOFOLLOW: a file or link planted at the name is never
      // opened, we just move on to the next name.
      fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) return TemporaryFile{fd, std::move(name)};
    if (errno != EEXIST) return Status::Failure(errno);
  }
  return Status::Failure(EEXIST);
}

}  // namespace tarnwell::platform
