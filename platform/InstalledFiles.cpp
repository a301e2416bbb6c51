// Locating the program's own files from the executable's place.
#include "platform/InstalledFiles.h"

#include "platform/Paths.h"

namespace tarnwell::platform {
namespace {

// An absolute `folder` without its last component, "" standing for the root:
// "/usr/bin" gives "/usr", "/bin" and "" give "".
std::string ParentOf(const std::string& folder) {
  const std::size_t separator = folder.rfind(PathSeparator);
  return separator == std::string::npos ? std::string() : folder.substr(0, separator);
}

}  // namespace

std::string ExecutableFolder() {
  const std::string path = ExecutablePath();
  const std::size_t separator = path.rfind(PathSeparator);
  if (separator == std::string::npos) return {};
  return separator == 0 ? std::string(1, PathSeparator) : path.substr(0, separator);
}

std::string FindReadme(const std::string& executableFolder) {
  if (executableFolder.empty()) return ReadmeFileName;  // nowhere better to look
  const std::string folder = executableFolder == "/" ? std::string() : executableFolder;
  const std::string beside = folder + PathSeparator + ReadmeFileName;
  if (IsReadableFile(beside)) return beside;
  const std::string installed =
      ParentOf(folder) + PathSeparator + "share/tarnwell/" + ReadmeFileName;
  if (IsReadableFile(installed)) return installed;
  return beside;
}

std::string FindReadme() { return FindReadme(ExecutableFolder()); }

}  // namespace tarnwell::platform
