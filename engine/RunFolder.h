// The run folder: "TRW_TEMP" under the chosen folder, and its creation with
// every missing folder above it.
#pragma once

#include <string>

#include "platform/FileSystem.h"

namespace tarnwell {

inline constexpr const char* RunFolderName = "TRW_TEMP";

// The folder text, a separator if it did not end in one, then "TRW_TEMP"
// and a closing separator.
std::string RunFolderFor(const std::string& folderText);

// How ForceDirectories went: on failure the system's refusal and `refused`,
// the folder it would not make.
struct FolderCreation : platform::Status {
  std::string refused;
};

// Creates `path` (a closing separator allowed) and every missing parent.
// Ok() when the folder exists afterwards; otherwise the folders this call
// made are removed again.
FolderCreation ForceDirectories(platform::FileSystem& fileSystem, const std::string& path);

}  // namespace tarnwell
