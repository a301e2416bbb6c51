// The run folder's name and its creation.
#include "engine/RunFolder.h"

#include <vector>

#include "platform/Paths.h"

namespace tarnwell {

std::string RunFolderFor(const std::string& folderText) {
  std::string folder = folderText;
  if (folder.empty() || folder.back() != platform::PathSeparator) folder += platform::PathSeparator;
  folder += RunFolderName;
  folder += platform::PathSeparator;
  return folder;
}

namespace {

bool MakeMissing(platform::FileSystem& fileSystem, const std::string& path,
                 std::vector<std::string>& made, FolderCreation& result) {
  std::string folder = path;
  if (!folder.empty() && folder.back() == platform::PathSeparator) folder.pop_back();
  // The root (now empty) and existing folders need nothing.
  if (folder.empty() || fileSystem.IsDirectory(folder)) return true;
  const std::size_t cut = folder.find_last_of(platform::PathSeparator);
  if (cut != std::string::npos &&
      !MakeMissing(fileSystem, folder.substr(0, cut + 1), made, result)) {
    return false;
  }
  const platform::Status status = fileSystem.MakeDirectory(folder);
  if (status.Ok()) {
    made.push_back(folder);
    return true;
  }
  static_cast<platform::Status&>(result) = status;
  result.refused = folder;
  // A folder that appeared meanwhile (or a doubled separator) is fine too.
  return fileSystem.IsDirectory(folder);
}

}  // namespace

FolderCreation ForceDirectories(platform::FileSystem& fileSystem, const std::string& path) {
  std::vector<std::string> made;
  FolderCreation result;
  if (MakeMissing(fileSystem, path, made, result)) return {};
  // A creation that failed halfway takes back what it made itself.
  for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
    fileSystem.RemoveFolder(*folder);
  }
  // Failed even when the system gave no reason (a planted fault).
  result.error = platform::IoError::Failed;
  return result;
}

}  // namespace tarnwell
