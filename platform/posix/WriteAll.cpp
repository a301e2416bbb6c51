#include "platform/posix/WriteAll.h"

#include <unistd.h>

#include <cerrno>
#include <cstddef>

namespace tarnwell::platform {

Status WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return Status::Failure(errno);
    if (n == 0) return Status::Failure(ENOSPC);
    done += static_cast<std::size_t>(n);
  }
  return {};
}

}  // namespace tarnwell::platform
