// CreateShortcut (kvUnit01.h) on Windows: the Start-menu entry as a shell
// link to the program, started in the program's own folder.
#include "platform/ShellLink.h"
#include "sysinfo/kvUnit01.h"

namespace tarnwell {

void CreateShortcut(const std::string& linkPath, const std::string& targetPath,
                    const std::string& description) {
  // Everything up to and including the last "\" or ":", so that the folder
  // keeps its closing backslash and "C:x" gives "C:".
  const auto cut = targetPath.find_last_of("\\:");
  const std::string folder =
      cut == std::string::npos ? std::string() : targetPath.substr(0, cut + 1);
  switch (platform::SaveShellLink(linkPath, targetPath, folder, description)) {
    case platform::ShellLinkResult::Saved:
      return;
    case platform::ShellLinkResult::NoLinkObject:
      throw Exception("Failed to create the shell link object");
    case platform::ShellLinkResult::SaveFailed:
      break;
  }
  throw EkvGetUserName("Failed to call IPersistFile.Save");
}

}  // namespace tarnwell
