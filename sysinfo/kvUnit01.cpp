// User and machine names from the platform layer, and the menu entry
// written through an atomic file replacement.
#include "sysinfo/kvUnit01.h"

#include <optional>

#include "platform/AtomicFile.h"
#include "platform/SystemIdentity.h"
#include "sysinfo/DesktopEntry.h"

namespace tarnwell {

std::string GetLoginUserName() {
  std::string name;
  if (!platform::QueryLoginUserName(name)) throw EkvGetUserName("Failed to call GetUserName");
  return name;
}

std::string GetMachineName() {
  std::string name;
  if (!platform::QueryMachineName(name)) {
    throw EkvGetComputerName("Failed to call GetComputerName");
  }
  return name;
}

void CreateShortcut(const std::string& linkPath, const std::string& targetPath,
                    const std::string& description) {
  const std::optional<std::string> text = DesktopEntryText(targetPath, description);
  // A half-written entry in the menu would be worse than none: the file is
  // replaced whole or left as it was.
  if (!text || !platform::ReplaceFileAtomically(linkPath, *text)) {
    throw EkvGetUserName("Failed to call IPersistFile.Save");
  }
}

}  // namespace tarnwell
