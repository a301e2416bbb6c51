// Locating the program's own files from the executable's place.
#include "platform/InstalledFiles.h"

#include "platform/PathNames.h"
#include "platform/Paths.h"

namespace tarnwell::platform {
std::string ExecutableFolder() { return ParentPath(ExecutablePath()); }

std::string FindReadme(const std::string& executableFolder) {
  if (executableFolder.empty()) return ReadmeFileName;  // nowhere better to look
  std::string beside = JoinPath(executableFolder, ReadmeFileName);
  if (IsReadableFile(beside)) return beside;
  std::string installed = JoinPath(
      JoinPath(JoinPath(ParentPath(executableFolder), "share"), "tarnwell"), ReadmeFileName);
  if (IsReadableFile(installed)) return installed;
  return beside;
}

std::string FindReadme() { return FindReadme(ExecutableFolder()); }

}  // namespace tarnwell::platform
