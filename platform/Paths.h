// Where things live on this system: path separator, home, cache and
// configuration folders, the running executable.
#pragma once

#include <cstddef>
#include <string>

namespace tarnwell::platform {

// Every path is a UTF-8 std::string; Windows bodies convert at the call.
#ifdef _WIN32
inline constexpr char PathSeparator = '\\';
#else
inline constexpr char PathSeparator = '/';
#endif

// The longest path the system's file calls accept, in bytes.
std::size_t MaxPathLength();

// The user's home folder (no closing separator), or empty when unknown.
std::string HomeDirectory();
// The folder offered for test runs when the user's settings name none: the
// home folder (else /tmp) on Linux, where a drive letter means nothing; the
// system's first drive (C:\ with its backslash) on Windows.
std::string DefaultWorkFolder();
// The per-user cache folder for this program (no closing separator).
std::string ProgramCacheDirectory();
// The per-user data folder for this program (no closing separator): where
// the history of runs is kept.
std::string ProgramDataDirectory();
// The per-user configuration folder for this program (no closing separator),
// empty when no home folder is known. It may not exist yet.
std::string ProgramConfigDirectory();
// The absolute path of the running executable, or empty when unknown.
std::string ExecutablePath();
// Whether this process may create files in the folder `path`.
bool IsDirectoryWritable(const std::string& path);

// Whether `path` names a file (not a folder) this process may read.
bool IsReadableFile(const std::string& path);

}  // namespace tarnwell::platform
