// Where things live on this system: path separator, home, cache and
// configuration folders, the running executable.
#pragma once

#include <cstddef>
#include <string>

namespace tarnwell::platform {

// Every path is a UTF-8 std::string; Windows bodies convert at the call.
// The separator this system's paths are written with: '/' on Linux, '\' on
// Windows (each body says which).
extern const char PathSeparator;

// The longest path the system's file calls accept, in bytes.
std::size_t MaxPathLength();

// The user's home folder (no closing separator), or empty when unknown.
std::string HomeDirectory();
// The folder offered for test runs when the user's settings name none: the
// home folder (else /tmp) on Linux, where a drive letter means nothing; the
// system's first drive (C:\ with its backslash) on Windows.
std::string DefaultWorkFolder();
// The per-user folders of this program (no closing separator), which may not
// exist yet: the cache (the random-order list), the data (the history of
// runs) and the configuration. Each is empty when no per-user place is
// known (no home folder), never a folder shared by everyone. On Linux root
// with another user's HOME never gets one inside that user's home.
std::string ProgramCacheDirectory();
std::string ProgramDataDirectory();
std::string ProgramConfigDirectory();
// Why those folders are unknown, as the line after a message says it.
std::string NoUserFolderReason();

// The absolute path of the running executable, or empty when unknown.
std::string ExecutablePath();
// Whether this process may create files in the folder `path`.
bool IsDirectoryWritable(const std::string& path);

// Whether `path` names a file (not a folder) this process may read.
bool IsReadableFile(const std::string& path);

}  // namespace tarnwell::platform
