// The run folder: "TRW_TEMP" under the chosen folder, and its creation with
// every missing folder above it.
#pragma once

#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tarnwell {

inline constexpr const char* RunFolderName = "TRW_TEMP";

// The folder text, a separator if it did not end in one, then "TRW_TEMP"
// and a closing separator.
std::string RunFolderFor(const std::string& folderText);
// With a host name, "TRW_TEMP-<host>" instead, so that many machines can
// share one folder (a network share), each with a run folder of its own.
std::string RunFolderFor(const std::string& folderText, const std::string& host);

// A host name as one harmless, readable part of a folder name: bytes that
// would split the path, end it, steer a terminal or mean something to
// Windows (/ \ : * ? " < > |, C0 controls, DEL, malformed UTF-8) become '_',
// as do a dot after a dot (no "..") and a dot or space at the end (which
// Windows drops); at most 64 bytes, cut between characters; "_" for none.
// Names that differ only in letter case share a folder on a file system that
// ignores case, and then the run folder's lock turns the second run away.
std::string HostFolderPart(const std::string& host);

// How ForceDirectories went: on failure the system's refusal and `refused`,
// the folder it would not make; on success `made`, the folders this call
// created, outermost first (without a closing separator).
struct FolderCreation : platform::Status {
  std::string refused;
  std::vector<std::string> made;
};

// Creates `path` (a closing separator allowed) and every missing parent.
// Ok() when the folder exists afterwards; otherwise the folders this call
// made are removed again.
FolderCreation ForceDirectories(platform::FileSystem& fileSystem, const std::string& path);

// Removes the `made` folders that are empty, innermost first, and stops at
// the first that is not (or will not go): a folder that existed before, or
// that anything else put a file or folder in, is never touched.
void RemoveMadeFolders(platform::FileSystem& fileSystem, const std::vector<std::string>& made);

}  // namespace tarnwell
