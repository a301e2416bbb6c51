// XDG-style locations of the user's folders and the executable's own path.
#include "platform/Paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/PathNames.h"
#include "platform/posix/LinuxFolders.h"

namespace tarnwell::platform {

const char PathSeparator = '/';
const PathStyle NativePathStyle = PathStyle::Posix;

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

// Whether `path` or any folder above it that exists belongs to someone other
// than `user`.
bool InAnotherUsersFolder(std::string path, uid_t user) {
  for (;;) {
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && info.st_uid != user) return true;
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

namespace {

// `under` in `home`, where a home of "/" adds no second slash.
std::string UnderHome(const std::string& home, const char* under) {
  return (home == "/" ? std::string() : home) + "/" + under;
}

}  // namespace

// Root running with another user's environment (su without -, sudo -E)
// would make root-owned folders in that user's home, which the user could
// then no longer use or even enter; it uses root's own home instead. Every
// folder on the way counts, so root-owned folders that an earlier version
// made inside the user's home do not draw root back in.
std::string UserBaseDirectory(UserFolder which) {
  const char* variable = which == UserFolder::Cache  ? "XDG_CACHE_HOME"
                         : which == UserFolder::Data ? "XDG_DATA_HOME"
                                                     : "XDG_CONFIG_HOME";
  const char* under = which == UserFolder::Cache  ? ".cache"
                      : which == UserFolder::Data ? ".local/share"
                                                  : ".config";
  std::string folder;
  // Only absolute values count, as the XDG base directory rules say.
  if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
    folder = StripClosingSlashes(value);
  } else {
    // Without a home folder there is no per-user place: "/" plus the
    // relative part would be a folder shared by everyone.
    const std::string home = HomeDirectory();
    if (home.empty()) return {};
    folder = UnderHome(home, under);
  }
  const uid_t self = ::geteuid();
  if (self == 0 && InAnotherUsersFolder(folder, self)) {
    const std::string home = PasswordHome(self);
    return home.empty() ? std::string() : UnderHome(home, under);
  }
  return folder;
}

namespace {

std::string ProgramFolderIn(UserFolder which) {
  const std::string base = UserBaseDirectory(which);
  return base.empty() ? std::string() : (base == "/" ? std::string() : base) + "/tarnwell";
}

}  // namespace

std::string ProgramCacheDirectory() { return ProgramFolderIn(UserFolder::Cache); }

std::string ProgramDataDirectory() { return ProgramFolderIn(UserFolder::Data); }

std::string ProgramConfigDirectory() { return ProgramFolderIn(UserFolder::Config); }

std::string NoUserFolderReason() {
  return "ホームフォルダがわかりません（HOME が設定されておらず、ユーザーデータベースにも uid " +
         std::to_string(::geteuid()) + " の項目がありません）";
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
