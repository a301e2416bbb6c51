// Replacing a small file all at once: readers, a crash or a full disk see
// either the old contents or the new, never a mixture or an empty file.
#pragma once

#include <string>
#include <string_view>

namespace tarnwell::platform {

// Writes `contents` to a temporary file in the folder of `path`, forces it to
// the device and renames it over `path`. The temporary file is named after
// `path` plus ".tmp-PID-N"; it is always created afresh, never through an
// existing file or link, and removed again when anything fails; temporaries
// that crashed saves left behind are cleared first. An existing file keeps
// its permission bits; an existing file that this process may not write, or
// that has no write permission bit at all, is left alone (the user protected
// it, and that holds for root too), as is a path that names a folder. A
// symbolic link at `path` stays: the file it points to is replaced.
//
// Returns false when the file was not replaced; `path` then holds what it
// held before.
bool ReplaceFileAtomically(const std::string& path, std::string_view contents);

}  // namespace tarnwell::platform
