// Writing a shell link (.lnk) file through the shell's link object. Only
// Windows has that object: elsewhere SaveShellLink writes nothing and says
// NoLinkObject (the application-menu entry there is a desktop entry).
#pragma once

#include <string>

namespace tarnwell::platform {

enum class ShellLinkResult {
  Saved,
  NoLinkObject,  // the link object or one of its interfaces is unavailable
  SaveFailed,    // the object refused to write the file
};

// Writes a link at `linkPath` that starts `targetPath` in `workingDirectory`,
// described by `description`; an existing file is replaced. Arguments, icon,
// hot key and show command stay as a new link has them. The calling thread
// must have initialised COM.
ShellLinkResult SaveShellLink(const std::string& linkPath, const std::string& targetPath,
                              const std::string& workingDirectory, const std::string& description);

}  // namespace tarnwell::platform
