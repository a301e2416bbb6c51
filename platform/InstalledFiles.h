// Files that come with the program: beside the executable in a build tree,
// under share/tarnwell/ beside bin/ once installed.
#pragma once

#include <string>

namespace tarnwell::platform {

inline constexpr const char* ReadmeFileName = "README.TXT";

// The folder of the running executable (no closing separator), or empty when
// the executable's path is unknown.
std::string ExecutableFolder();

// README.TXT for an executable in `executableFolder`: the file beside it, else
// the one in the install tree (`executableFolder`/../share/tarnwell/). When
// neither exists, the path beside the executable, so that a report of the
// failure names the place where the file belongs.
std::string FindReadme(const std::string& executableFolder);
// The same for the running executable.
std::string FindReadme();

}  // namespace tarnwell::platform
