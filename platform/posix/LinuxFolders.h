// The Linux folder rules the Linux bodies share and the tests check on their
// own: the XDG base folders, the desktop folder named in user-dirs.dirs and
// the mount points listed in mountinfo. Bodies in Paths.cpp and Folders.cpp.
#pragma once

#include <string>
#include <vector>

namespace tarnwell::platform {

// The user's base folders of the XDG rules (no closing slash):
// $XDG_CACHE_HOME, $XDG_DATA_HOME or $XDG_CONFIG_HOME when absolute, else
// ~/.cache, ~/.local/share or ~/.config. Empty without a home folder. Root
// whose folder would lie in another user's home (sudo -E) gets the one in
// its own home instead. Every per-user folder the program makes is in one.
enum class UserFolder { Cache, Data, Config };
std::string UserBaseDirectory(UserFolder which);

// The value of XDG_DESKTOP_DIR in the text of a user-dirs.dirs file, with
// "$HOME" expanded to `home`; empty when the text sets none or sets one
// that is neither absolute nor relative to "$HOME".
std::string ParseDesktopDirectory(const std::string& userDirs, const std::string& home);

// The mount points of real file systems listed in the text of a
// /proc/<pid>/mountinfo file, escapes decoded, "/" first and each once.
std::vector<std::string> ParseMountPoints(const std::string& mountInfo);

}  // namespace tarnwell::platform
