// Texts and addresses of the Help menu's commands.
#include "sysinfo/HelpCommands.h"

#include "platform/InstalledFiles.h"
#include "platform/PathNames.h"

#ifndef TARNWELL_WEB_ADDRESS
#error "TARNWELL_WEB_ADDRESS is set by CMake"
#endif

namespace tarnwell {

std::string WebAddress() {
  std::string configured = TARNWELL_WEB_ADDRESS;
  if (!configured.empty()) return configured;
  // An unpacked zip has no install tree: the manual travels beside the
  // program.
  return platform::JoinPath(platform::ExecutableFolder(), "manual.html");
}

std::string ReadmeOpenFailedMessage(const std::string& readmePath) {
  return readmePath + "を開けませんでした。\r\n" + ReadmeEditorAdvice;
}

std::string WebOpenFailedMessage(const std::string& address) {
  return address + "を開けませんでした";
}

std::string ShortcutPath(const std::string& programsFolder) {
  return platform::JoinPath(programsFolder, ShortcutFileName);
}

}  // namespace tarnwell
