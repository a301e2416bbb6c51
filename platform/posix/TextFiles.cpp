// Appending lines with O_APPEND and one write(), and reading files whole.
#include "platform/TextFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileSystem.h"

namespace tarnwell::platform {

bool AppendLine(const std::string& path, std::string_view line) {
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0 &&
      !SystemFileSystem().MakePrivateDirectories(path.substr(0, slash))) {
    return false;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  // One write of the whole line: with O_APPEND the system places it at the
  // end as a unit, so lines of two programs never interleave.
  std::string text(line);
  text += '\n';
  ssize_t written;
  do {
    written = ::write(fd, text.data(), text.size());
  } while (written < 0 && errno == EINTR);
  bool ok = written == static_cast<ssize_t>(text.size());
  if (ok) ok = ::fdatasync(fd) == 0;
  if (::close(fd) != 0) ok = false;
  return ok;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::nullopt;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return std::nullopt;
  }
  std::string text;
  char chunk[65536];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      ::close(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    text.append(chunk, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return text;
}

}  // namespace tarnwell::platform
