// The run folder's name and its creation.
#include "engine/run/RunFolder.h"

#include <string_view>
#include <vector>

#include "engine/base/Utf8.h"
#include "platform/Paths.h"

namespace tarnwell {

std::string RunFolderFor(const std::string& folderText) {
  std::string folder = folderText;
  if (folder.empty() || folder.back() != platform::PathSeparator) folder += platform::PathSeparator;
  folder += RunFolderName;
  folder += platform::PathSeparator;
  return folder;
}

std::string RunFolderFor(const std::string& folderText, const std::string& host) {
  std::string folder = RunFolderFor(folderText);
  if (host.empty()) return folder;
  folder.pop_back();
  return folder + "-" + HostFolderPart(host) + platform::PathSeparator;
}

std::string HostFolderPart(const std::string& host) {
  constexpr std::size_t MostBytes = 64;
  std::string part;
  for (std::size_t at = 0; at < host.size();) {
    const std::size_t length = Utf8SequenceLength(host, at);
    // U+0080-U+009F are controls too (C1).
    const bool c1 = length == 2 && static_cast<unsigned char>(host[at]) == 0xC2 &&
                    static_cast<unsigned char>(host[at + 1]) < 0xA0;
    if (length > 1 && !c1) {
      if (part.size() + length > MostBytes) break;
      part.append(host, at, length);
      at += length;
      continue;
    }
    if (part.size() + 1 > MostBytes) break;
    const unsigned char c = static_cast<unsigned char>(host[at]);
    const bool harmful =
        length != 1 || c < 0x20 || c == 0x7F ||
        std::string_view("/\\:*?\"<>|").find(static_cast<char>(c)) != std::string_view::npos ||
        (c == '.' && !part.empty() && part.back() == '.');
    part += harmful ? '_' : static_cast<char>(c);
    at += c1 ? 2 : 1;
  }
  if (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.back() = '_';
  if (part.empty()) part = "_";
  return part;
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
  if (MakeMissing(fileSystem, path, made, result)) {
    FolderCreation done;
    done.made = std::move(made);
    return done;
  }
  // A creation that failed halfway takes back what it made itself.
  for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
    platform::BestEffort(fileSystem.RemoveFolder(*folder));  // the creation's failure is reported
  }
  // Failed even when the system gave no reason (a planted fault).
  result.error = platform::IoError::Failed;
  return result;
}

void RemoveMadeFolders(platform::FileSystem& fileSystem, const std::vector<std::string>& made) {
  // The system removes only empty folders, and never through a link.
  for (auto folder = made.rbegin(); folder != made.rend(); ++folder) {
    // One already gone (the run removed its own folder) is no obstacle.
    if (!fileSystem.RemoveFolder(*folder).Ok() && fileSystem.IsDirectory(*folder)) return;
  }
}

}  // namespace tarnwell
