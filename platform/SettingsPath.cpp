// Naming and placing the settings file; pure path text apart from the
// lookups made by SettingsFilePath().
#include "platform/SettingsPath.h"

#include "platform/FileSystem.h"
#include "platform/PathNames.h"
#include "platform/Paths.h"

namespace tarnwell::platform {
namespace {

constexpr const char* Extension = ".INI";
// The name used when the executable's own path is unknown.
constexpr const char* FallbackName = "tarnwell.INI";

std::size_t NameStart(const std::string& path) { return path.size() - FileNameOf(path).size(); }

}  // namespace

bool IsInstalledProgramFolder(const std::string& folder) {
#ifdef TARNWELL_INSTALL_BINDIR
  return !folder.empty() && folder == TARNWELL_INSTALL_BINDIR;
#else
  (void)folder;
  return false;
#endif
}

bool KeepsSettingsBeside(const std::string& folder) {
  return !IsInstalledProgramFolder(folder) && IsDirectoryWritable(folder);
}

std::string IniPathForExecutable(const std::string& exePath) {
  if (exePath.empty()) return {};
  const std::size_t nameStart = NameStart(exePath);
  const std::size_t dot = exePath.rfind('.');
  if (dot != std::string::npos && dot > nameStart) {
    return exePath.substr(0, dot) + Extension;
  }
  return exePath + Extension;
}

std::string SettingsFilePathFor(const std::string& exePath, bool exeFolderWritable,
                                const std::string& configDirectory) {
  std::string besideExecutable = IniPathForExecutable(exePath);
  if (!besideExecutable.empty() && exeFolderWritable) return besideExecutable;
  if (configDirectory.empty()) return besideExecutable;
  const std::string name = besideExecutable.empty()
                               ? std::string(FallbackName)
                               : besideExecutable.substr(NameStart(besideExecutable));
  return JoinPath(configDirectory, name);
}

std::string SettingsFilePath() {
  const std::string exePath = ExecutablePath();
  const std::string besideExecutable = IniPathForExecutable(exePath);
  const bool writable =
      !besideExecutable.empty() && KeepsSettingsBeside(ContainingFolder(besideExecutable));
  const std::string configDirectory = ProgramConfigDirectory();
  std::string path = SettingsFilePathFor(exePath, writable, configDirectory);
  if (!writable && !configDirectory.empty()) {
    // A folder that cannot be made shows when the settings are saved.
    BestEffort(SystemFileSystem().MakePrivateDirectories(configDirectory));
  }
  return path;
}

}  // namespace tarnwell::platform
