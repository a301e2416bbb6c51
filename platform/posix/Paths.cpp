// XDG-style locations of the user's folders and the executable's own path.
#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <vector>

namespace tarnwell::platform {
namespace {

std::string StripClosingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::size_t MaxPathLength() { return PATH_MAX - 1; }

namespace {

std::string PasswordHome(uid_t user) {
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry{};
  passwd* found = nullptr;
  if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr &&
      found->pw_dir != nullptr) {
    return StripClosingSlashes(found->pw_dir);
  }
  return {};
}

// The owner of `path`, or of the nearest folder above it that exists.
bool OwnerOfNearest(std::string path, uid_t& owner) {
  for (;;) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0) {
      owner = info.st_uid;
      return true;
    }
    const std::size_t cut = path.find_last_of('/');
    if (cut == std::string::npos || path == "/") return false;
    path.resize(cut == 0 ? 1 : cut);
  }
}

}  // namespace

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    return StripClosingSlashes(home);
  }
  return PasswordHome(::geteuid());
}

std::string DefaultWorkFolder() {
  const std::string home = HomeDirectory();
  return home.empty() ? std::string("/tmp") : home;
}

std::string ProgramCacheDirectory() {
  std::string folder;
  // Only absolute values count, as the XDG base directory rules say.
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
    folder = StripClosingSlashes(cache) + "/tarnwell";
  } else {
    folder = HomeDirectory() + "/.cache/tarnwell";
  }
  // Root with another user's environment (su without -, sudo -E) would make
  // root-owned folders in that user's home and cost them their cache.
  uid_t owner = 0;
  const uid_t self = ::geteuid();
  if (self == 0 && OwnerOfNearest(folder, owner) && owner != self) {
    const std::string home = PasswordHome(self);
    folder = (home == "/" ? std::string() : home) + "/.cache/tarnwell";
  }
  return folder;
}

std::string ProgramDataDirectory() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data != nullptr && data[0] == '/') {
    return StripClosingSlashes(data) + "/tarnwell";
  }
  const std::string home = HomeDirectory();
  return (home == "/" ? std::string() : home) + "/.local/share/tarnwell";
}

std::string ProgramConfigDirectory() {
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/') {
    return StripClosingSlashes(config) + "/tarnwell";
  }
  const std::string home = HomeDirectory();
  // Without a home folder there is no per-user place; "/.config" would be
  // a folder shared by everyone.
  if (home.empty()) return {};
  return (home == "/" ? std::string() : home) + "/.config/tarnwell";
}

std::string ExecutablePath() {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) return {};
    // readlink does not say when it truncated; a full buffer might have.
    if (static_cast<std::size_t>(length) < buffer.size()) {
      return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    if (buffer.size() >= 1u << 20) return {};
    buffer.resize(buffer.size() * 2);
  }
}

bool IsDirectoryWritable(const std::string& path) {
  // Creating a file needs both write and search permission on the folder;
  // access() also answers EROFS for a read-only mount.
  return !path.empty() && ::access(path.c_str(), W_OK | X_OK) == 0;
}

bool IsReadableFile(const std::string& path) {
  struct stat info {};
  // Devices count: /dev/null is the natural way to ask for no settings.
  return ::stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode) &&
         ::access(path.c_str(), R_OK) == 0;
}

}  // namespace tarnwell::platform
