// kvUnit01 (the name is only a number among the program's own kv units):
// the login user's name, the machine's name and the application-menu entry
// (Start-menu link on Windows) that starts the program, with the exceptions
// they raise. The names are in kvUnit01.cpp, the entry in
// sysinfo/posix/Shortcut.cpp and sysinfo/win32/Shortcut.cpp.
#pragma once

#include <string>

#include "sysinfo/Exception.h"

namespace tarnwell {

// Raised with "Failed to call GetUserName" by GetLoginUserName, and with
// "Failed to call IPersistFile.Save" by CreateShortcut.
class EkvGetUserName : public Exception {
public:
  using Exception::Exception;
};

// Raised with "Failed to call GetComputerName" by GetMachineName.
class EkvGetComputerName : public Exception {
public:
  using Exception::Exception;
};

// The effective user's login name; raises EkvGetUserName when the user has
// no entry in the password database or the name exceeds 256 bytes.
std::string GetLoginUserName();

// The machine's host name, whole; raises EkvGetComputerName on failure.
std::string GetMachineName();

// Writes, all at once, a desktop entry at `linkPath` that starts `targetPath`
// in the target's folder, named and described by `description`. An existing
// entry is replaced. Raises EkvGetUserName with "Failed to call
// IPersistFile.Save" when the entry cannot be written or cannot express the
// texts (see DesktopEntryText). On Windows it writes a shell link instead,
// whose working folder is the target's folder part up to its last "\" or
// ":"; a missing link object raises a plain Exception, and a refused save
// EkvGetUserName as above. The calling thread must have initialised COM.
void CreateShortcut(const std::string& linkPath, const std::string& targetPath,
                    const std::string& description);

}  // namespace tarnwell
