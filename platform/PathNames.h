// Splitting and joining path text by one set of rules: '/' on Linux; '\' or
// '/' on Windows, where "C:\", "C:/" and "\\server\share\" are roots too.
#pragma once

#include <cstddef>
#include <string>

#include "platform/Paths.h"

namespace tarnwell::platform {

// Every path is a UTF-8 std::string; these functions only look at the text
// and never ask the system. The style parameter exists so that each system's
// rules can be checked on the other; callers leave it at its default.
enum class PathStyle { Posix, Windows };
// The rules of the system the program runs on, set beside PathSeparator by
// each system's body of Paths.h.
extern const PathStyle NativePathStyle;

bool IsPathSeparator(char c, PathStyle style = NativePathStyle);

// The length of the root at the start of `path`, its closing separator
// included: "/" (1), "C:\" (3), "C:" (2, drive-relative), "\\srv\share\";
// 0 for a relative path.
std::size_t RootLength(const std::string& path, PathStyle style = NativePathStyle);

// Whether `path` is a root and nothing more ("/", "C:\", "\\srv\share").
bool IsRootPath(const std::string& path, PathStyle style = NativePathStyle);

// Whether `path` names a place without depending on the current folder or
// the current drive.
bool IsAbsolutePath(const std::string& path, PathStyle style = NativePathStyle);

// `name` inside `folder`, one separator between them ("" + name is name).
std::string JoinPath(const std::string& folder, const std::string& name,
                     PathStyle style = NativePathStyle);

// The folder holding `path`: "/a/b" gives "/a", "/a" gives "/", "C:\a"
// gives "C:\"; a root is its own parent; a bare name has none ("").
std::string ParentPath(const std::string& path, PathStyle style = NativePathStyle);

// The folder a file named by `path` is opened in: ParentPath, or "." (the
// current folder) for a bare name.
std::string ContainingFolder(const std::string& path, PathStyle style = NativePathStyle);

// The last component of `path` without closing separators; "" for a root.
std::string FileNameOf(const std::string& path, PathStyle style = NativePathStyle);

// Whether the file name `name` is one Windows keeps for a device, so that
// no file or folder can have it: CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also
// with ¹²³), CONIN$ and CONOUT$, in any case, with or without an extension
// and closing dots or blanks. Never on Linux.
bool IsReservedDeviceName(const std::string& name, PathStyle style = NativePathStyle);

// `path` without closing separators, but never shorter than its root.
std::string WithoutClosingSeparators(const std::string& path, PathStyle style = NativePathStyle);

}  // namespace tarnwell::platform
