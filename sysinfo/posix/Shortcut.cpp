// CreateShortcut (kvUnit01.h) on Linux: the application-menu entry as a
// desktop entry written through an atomic file replacement.
#include <optional>

#include "platform/AtomicFile.h"
#include "sysinfo/kvUnit01.h"
#include "sysinfo/posix/DesktopEntry.h"

namespace tarnwell {

void CreateShortcut(const std::string& linkPath, const std::string& targetPath,
                    const std::string& description) {
  const std::optional<std::string> text = DesktopEntryText(targetPath, description);
  // A half-written entry in the menu would be worse than none: the file is
  // replaced whole or left as it was.
  if (!text || !platform::ReplaceFileAtomically(linkPath, *text).Ok()) {
    throw EkvGetUserName("Failed to call IPersistFile.Save");
  }
}

}  // namespace tarnwell
