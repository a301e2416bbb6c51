#include "engine/RunFolder.h"

#include "platform/Paths.h"

namespace tarnwell {

std::string RunFolderFor(const std::string& folderText) {
  std::string folder = folderText;
  if (folder.empty() || folder.back() != platform::PathSeparator) folder += platform::PathSeparator;
  folder += RunFolderName;
  folder += platform::PathSeparator;
  return folder;
}

bool ForceDirectories(platform::FileSystem& fileSystem, const std::string& path) {
  std::string folder = path;
  if (!folder.empty() && folder.back() == platform::PathSeparator) folder.pop_back();
  // The root (now empty) and existing folders need nothing.
  if (folder.empty() || fileSystem.IsDirectory(folder)) return true;
  const std::size_t cut = folder.find_last_of(platform::PathSeparator);
  if (cut != std::string::npos && !ForceDirectories(fileSystem, folder.substr(0, cut + 1))) {
    return false;
  }
  // A folder that appeared meanwhile (or a doubled separator) is fine too.
  return fileSystem.MakeDirectory(folder) || fileSystem.IsDirectory(folder);
}

}  // namespace tarnwell
