// Where things live on this system: path separator, home and cache folders.
#pragma once

#include <string>

namespace tarnwell::platform {

inline constexpr char PathSeparator = '/';

// The user's home folder (no closing separator), or empty when unknown.
std::string HomeDirectory();
// The per-user cache folder for this program (no closing separator).
std::string ProgramCacheDirectory();

}  // namespace tarnwell::platform
