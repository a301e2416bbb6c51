// The folders whose entries make up the desktop's application menu (the
// Start menu on Windows), for the current user and for all users.
#pragma once

#include <string>

namespace tarnwell::platform {

// The application-menu folder (no closing separator): for the current user
// "applications" under $XDG_DATA_HOME (an absolute value only; otherwise
// ~/.local/share), for all users /usr/local/share/applications. A missing
// folder is created. Empty when there is no such folder and it cannot be
// made, or when the current user has no home folder. On Windows the Start
// menu's Programs folder (CSIDL_PROGRAMS, or CSIDL_COMMON_PROGRAMS for all
// users), never created: empty when it is missing.
std::string ProgramsFolder(bool allUsers);

}  // namespace tarnwell::platform
