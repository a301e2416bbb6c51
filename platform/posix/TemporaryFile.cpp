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
#include <ctime>
#include <vector>

namespace tarnwell::platform {
namespace {

constexpr int TemporaryNameAttempts = 100;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void RemoveStaleTemporaries(const std::string& path) {
  const std::string folder = FolderOf(path);
  const std::string prefix = NameOf(path) + ".tmp";
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return;
  std::vector<std::string> stale;
  const std::time_t now = std::time(nullptr);
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (!name.starts_with(prefix)) continue;
    const std::string rest = name.substr(prefix.size());
    const std::string full = folder + "/" + name;
    struct stat info {};
    if (::lstat(full.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
      continue;
    }
    if (rest.starts_with("-")) {
      const long pid = std::strtol(rest.c_str() + 1, nullptr, 10);
      if (pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
        stale.push_back(full);
    } else if (rest.find_first_not_of("0123456789") == std::string::npos &&
               now - info.st_mtime > 3600) {
      stale.push_back(full);
    }
  }
  ::closedir(listing);
  for (const std::string& name : stale) ::unlink(name.c_str());
}

int CreateTemporaryBeside(const std::string& path, mode_t mode, std::string& name) {
  RemoveStaleTemporaries(path);
  const std::string base = path + ".tmp-" + std::to_string(::getpid()) + "-";
  for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
    name = base + std::to_string(attempt);
    int fd;
    do {
      // O_EXCL with O_NOFOLLOW: a file or link planted at the name is never
      // opened, we just move on to the next name.
      fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
  }
  return -1;
}

}  // namespace tarnwell::platform
