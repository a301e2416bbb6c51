// Listing sub-folders, on top of each system's own walk through a folder.
#include "platform/Folders.h"

namespace tarnwell::platform {

std::optional<std::vector<std::string>> ListSubFolders(const std::string& path) {
  std::vector<std::string> names;
  const Status listed = ForEachSubFolder(path, [&](const std::string& name) {
    names.push_back(name);
    return true;
  });
  if (!listed.Ok()) return std::nullopt;
  return names;
}

bool HasSubFolders(const std::string& path) {
  bool any = false;
  // A folder that cannot be listed has no sub-folder to show.
  BestEffort(ForEachSubFolder(path, [&](const std::string&) {
    any = true;
    return false;
  }));
  return any;
}

}  // namespace tarnwell::platform
