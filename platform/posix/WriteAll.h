// Writing a whole buffer to a descriptor (POSIX only), with one rule for
// every body here that writes small files.
#pragma once

#include <string_view>

#include "platform/Error.h"

namespace tarnwell::platform {

// Writes all of `bytes` to `fd`. A call interrupted by a signal is made
// again and a short write goes on with the rest; the first call that fails
// ends it with its errno in the Status. A write that takes nothing at all
// fails with ENOSPC, as the file system cannot take more.
Status WriteAll(int fd, std::string_view bytes);

}  // namespace tarnwell::platform
