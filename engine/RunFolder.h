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

// Creates `path` (a closing separator allowed) and every missing parent.
// True when the folder exists afterwards; otherwise the folders this call
// made are removed again, `reason` (when given) receives the native error
// and `refused` the folder the system would not make.
bool ForceDirectories(platform::FileSystem& fileSystem, const std::string& path,
                      int* reason = nullptr, std::string* refused = nullptr);

}  // namespace tarnwell
