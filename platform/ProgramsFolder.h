// The folders whose desktop entries make up the desktop's application menu,
// for the current user and for all users.
#pragma once

#include <string>

namespace tarnwell::platform {

// The menu folder shared by every user of the machine.
inline constexpr const char* AllUsersProgramsFolder = "/usr/local/share/applications";

// The application-menu folder (no closing separator): for the current user
// "applications" under $XDG_DATA_HOME (an absolute value only; otherwise
// ~/.local/share), for all users AllUsersProgramsFolder. A missing folder
// is created. Empty when there is no such folder and it cannot be made, or
// when the current user has no home folder.
std::string ProgramsFolder(bool allUsers);

}  // namespace tarnwell::platform
