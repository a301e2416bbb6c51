// The folder services the folder chooser needs: listing sub-folders,
// renaming, making and trashing folders, and the places a tree of the
// user's folders starts from (the desktop folder, the mounted file systems).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Error.h"

namespace tarnwell::platform {

// Calls `found` with the name of each folder inside `path` that
// ListSubFolders lists, in no particular order, until it returns false.
// Not Ok() when `path` cannot be listed. The one part of listing each system
// does its own way.
Status ForEachSubFolder(const std::string& path,
                        const std::function<bool(const std::string&)>& found);

// The names of the folders inside `path`, in no particular order: folders
// and links to folders, without names that begin with "." (hidden ones and
// the "." and ".." entries). Empty optional when `path` cannot be listed.
// On Windows hidden means the hidden attribute, which the protected system
// folders carry too; a name may begin with ".".
std::optional<std::vector<std::string>> ListSubFolders(const std::string& path);

// Whether `path` holds at least one folder that ListSubFolders would list.
// Stops at the first one.
bool HasSubFolders(const std::string& path);

// Whether `name` can name a folder inside another: not empty, not "." or
// "..", no "/" and no NUL. On Windows also none of \ : * ? " < > |, no
// control character and no closing dot or blank.
bool IsValidFolderName(const std::string& name);

// Renames the folder `from` to `to` (both full paths). Never replaces
// anything that already exists at `to`, and never copies between drives.
// Not Ok() when refused.
Status RenameFolder(const std::string& from, const std::string& to);

// Makes a new folder inside `parent` named `baseName`, or `baseName` followed
// by " (2)", " (3)" and so on when that name is taken. The name it got, or
// why no folder could be made.
Result<std::string> MakeUniqueFolder(const std::string& parent, const std::string& baseName);

// Moves the file or folder at the absolute path `path` into the user's
// trash ($XDG_DATA_HOME/Trash, with an info file recording where it came
// from and when), as desktop file managers do, so it can be restored. Only
// within one file system: anything on another device is refused, never
// copied and never deleted. Not Ok() when nothing was moved. On Windows the
// shell moves it to the Recycle Bin; where that cannot take it, the shell
// asks before deleting it for good, and a refusal leaves it in place.
Status MoveToTrash(const std::string& path);

// The user's desktop folder as `xdg-user-dir DESKTOP` names it (on Windows
// the shell's CSIDL_DESKTOPDIRECTORY), when that folder exists; empty
// otherwise.
std::string DesktopDirectory();

// What the system's own file manager calls the places a folder tree starts
// from; empty where it has no name of its own for one, and the tree names
// it itself. On Windows the shell's display names of its namespace items
// (their item ID lists), in the user's language: the desktop ("デスクトップ"),
// the profile folder (the user's name) and the computer ("PC"). On Linux
// all empty.
struct PlaceNames {
  std::string Desktop;
  std::string Home;
  std::string Computer;
};
PlaceNames ShellPlaceNames();

// The mount points of real file systems (disks and network shares, not the
// kernel's virtual file systems or packaged images), "/" always first. On
// Windows the drive roots ("C:\"), the system's drive first.
std::vector<std::string> MountPoints();

}  // namespace tarnwell::platform
