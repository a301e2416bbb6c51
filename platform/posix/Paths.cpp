// XDG-style locations of the user's folders.
#include "platform/Paths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace tarnwell::platform {
namespace {

std::string StripClosingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

}  // namespace

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
    return StripClosingSlashes(home);
  }
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<std::size_t>(size) : 16384);
  passwd entry {};
  passwd* found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
      found != nullptr && found->pw_dir != nullptr) {
    return StripClosingSlashes(found->pw_dir);
  }
  return {};
}

std::string ProgramCacheDirectory() {
  // Only absolute values count, as the XDG base directory rules say.
  if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
    return StripClosingSlashes(cache) + "/tarnwell";
  }
  return HomeDirectory() + "/.cache/tarnwell";
}

}  // namespace tarnwell::platform
