// Where the settings file lives: beside the executable, named after it with
// ".INI" for its extension; in the user's configuration folder instead when
// the executable's folder is not writable or is the installed program folder.
#pragma once

#include <string>

namespace tarnwell::platform {

// `exePath` with its extension replaced by ".INI", or ".INI" appended when
// the file name has none. The extension starts at the last "." of the file
// name; a leading "." (a hidden file) does not start one. Empty for empty.
std::string IniPathForExecutable(const std::string& exePath);

// The choice made by SettingsFilePath(), given what it finds out: the file
// beside the executable when that folder is writable, else the same file name
// in `configDirectory`. Without a usable configuration folder the file beside
// the executable is kept (its saves then fail rather than land elsewhere).
std::string SettingsFilePathFor(const std::string& exePath, bool exeFolderWritable,
                                const std::string& configDirectory);

// Whether `folder` is the program folder of an installed build (the package's
// bindir): settings never go there, even when root may write in it.
bool IsInstalledProgramFolder(const std::string& folder);
// Whether a program in `folder` keeps its settings beside itself: a build
// tree or an unpacked copy the user may write in, not an installed build.
bool KeepsSettingsBeside(const std::string& folder);

// The settings file of this program. When the configuration folder is chosen
// it is created (owner only) if missing, so that the first save can succeed.
std::string SettingsFilePath();

}  // namespace tarnwell::platform
