// Temporary files beside a file that is being replaced (POSIX only): named
// "NAME.tmp-PID-N", created exclusively and never through a link, so that a
// temporary whose process is gone can be recognised and cleared.
#pragma once

#include <sys/types.h>

#include <string>

#include "platform/Error.h"

namespace tarnwell::platform {

// Removes temporaries of `path` that crashed or killed writers left: names of
// exactly the form "NAME.tmp-PID-N" whose process is gone. Only plain files
// of this user are touched; anything else (the user's own "NAME.tmp2", say)
// is never ours to delete.
void RemoveStaleTemporaries(const std::string& path);

// A temporary file made by CreateTemporaryBeside: its open descriptor and
// its path.
struct TemporaryFile {
  int fd = -1;
  std::string name;
};

// Clears stale temporaries, then creates a new one beside `path`; the
// failure of the last attempt (its errno) when none could be made.
Result<TemporaryFile> CreateTemporaryBeside(const std::string& path, mode_t mode);

}  // namespace tarnwell::platform
