// Listing sub-folders, on top of each system's own walk through a folder.
#include "platform/Folders.h"

namespace tarnwell::platform {

std::optional<std::vector<std::string>> ListSubFolders(const std::string& path) {
  std::vector<std::string> names;
  if (!ForEachSubFolder(path, [&](const std::string& name) {
        names.push_back(name);
        return true;
      })) {
    return std::nullopt;
  }
  return names;
}

bool HasSubFolders(const std::string& path) {
  bool any = false;
  ForEachSubFolder(path, [&](const std::string&) {
    any = true;
    return false;
  });
  return any;
}

}  // namespace tarnwell::platform
