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
                 std::vector<std::string>& made, int& reason, std::string& refused) {
  std::string folder = path;
  if (!folder.empty() && folder.back() == platform::PathSeparator) folder.pop_back();
  // The root (now empty) and existing folders need nothing.
  if (folder.empty() || fileSystem.IsDirectory(folder)) return true;
  const std::size_t cut = folder.find_last_of(platform::PathSeparator);
  if (cut != std::string::npos &&
      !MakeMissing(fileSystem, folder.substr(0, cut + 1), made, reason, refused)) {
    return false;
  }
  if (fileSystem.MakeDirectory(folder)) {
    made.push_back(folder);
    return true;
  }
  reason = platform::LastSystemError();
  refused = folder;
  // A folder that appeared meanwhile (or a doubled separator) is fine too.
  return fileSystem.IsDirectory(folder);
}

}  // namespace

bool ForceDirectories(platform::FileSystem& fileSystem, const std::string& path, int* reason,
                      std::string* refused) {
  std::vector<std::string> made;
  int code = 0;
  std::string folder;
  if (MakeMissing(fileSystem, path, made, code, folder)) return true;
  if (reason != nullptr) *reason = code;
  if (refused != nullptr) *refused = folder;
  // A creation that failed halfway takes back what it made itself.
  for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
    fileSystem.RemoveFolder(*folder);
  }
  return false;
}

}  // namespace tarnwell
