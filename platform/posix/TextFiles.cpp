// Appending lines under an exclusive flock with O_APPEND, and reading plain
// files with pread.
#include "platform/TextFiles.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/posix/WriteAll.h"

namespace tarnwell::platform {
namespace {

Status Failure(int code) { return {IoError::Failed, code}; }

// Errors of an open that found something other than a plain file: a link
// (O_NOFOLLOW), a FIFO without a reader (O_NONBLOCK), a folder.
bool IsInTheWay(int code) { return code == ELOOP || code == ENXIO || code == EISDIR; }

// Other appenders hold the lock for one line's write and flush; one that
// holds it for longer than this is not waited for.
bool LockWithin(int fd, std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
    if (errno != EWOULDBLOCK && errno != EINTR) return false;
    if (std::chrono::steady_clock::now() >= deadline) {
      errno = EWOULDBLOCK;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

// Appends to the opened, locked plain file; cuts it back to `size` when the
// line did not arrive whole.
Status AppendLocked(int fd, off_t size, std::string_view line) {
  std::string text;
  text.reserve(line.size() + 2);
  if (size > 0) {
    char last = '\n';
    if (::pread(fd, &last, 1, size - 1) != 1) return Failure(errno != 0 ? errno : EIO);
    if (last != '\n') text += '\n';
  }
  text += line;
  text += '\n';
  Status status = WriteAll(fd, text);
  if (status.Ok() && ::fdatasync(fd) != 0) status = Failure(errno);
  if (!status.Ok()) {
    // A fragment would be glued to the next line and cost both runs.
    [[maybe_unused]] const int ignored = ::ftruncate(fd, size);
  }
  return status;
}

// Appends to the opened file once it is known to be a plain file and this
// appender holds its lock.
Status AppendOpened(int fd, std::string_view line) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return Failure(errno);
  if (!S_ISREG(info.st_mode)) return {IoError::NotRegular, 0};
  if (!LockWithin(fd, std::chrono::seconds(5))) return Failure(errno);
  // The length once no one else appends.
  if (::fstat(fd, &info) != 0) return Failure(errno);
  return AppendLocked(fd, info.st_size, line);
}

}  // namespace

Status AppendLine(const std::string& path, std::string_view line) {
  const std::size_t slash = path.rfind('/');
  if (slash != std::string::npos && slash > 0) {
    const Status made = SystemFileSystem().MakePrivateDirectories(path.substr(0, slash));
    if (!made.Ok()) return Failure(made.code);
  }
  // Opening a device can act on it: something other than a plain file is
  // not even opened. The checks after the open cover a swap in between.
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    return {IoError::NotRegular, 0};
  }
  int fd;
  do {
    fd = ::open(path.c_str(), O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                0600);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return IsInTheWay(errno) ? Status{IoError::NotRegular, 0} : Failure(errno);
  Status status = AppendOpened(fd, line);
  // close() reports late write errors on some file systems (NFS); it also
  // drops the lock.
  if (::close(fd) != 0 && status.Ok()) status = Failure(errno);
  return status;
}

TextFileReader::~TextFileReader() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

Status TextFileReader::Open(const std::string& path) {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
  handle_ = -1;
  size_ = 0;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) {
    return errno == ENOENT ? Status{IoError::NotFound, errno} : Failure(errno);
  }
  if (!S_ISREG(info.st_mode)) return {IoError::NotRegular, 0};
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT ? Status{IoError::NotFound, errno} : Failure(errno);
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const int error = errno;
    ::close(fd);
    return S_ISREG(info.st_mode) ? Failure(error) : Status{IoError::NotRegular, 0};
  }
  handle_ = fd;
  size_ = info.st_size;
  return {};
}

TransferResult TextFileReader::ReadAt(std::int64_t offset, char* data, std::size_t size) {
  TransferResult result;
  while (result.bytes < size) {
    const ssize_t n = ::pread(static_cast<int>(handle_), data + result.bytes, size - result.bytes,
                              static_cast<off_t>(offset) + static_cast<off_t>(result.bytes));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      result.error = IoError::Failed;
      result.code = errno;
      break;
    }
    if (n == 0) break;
    result.bytes += static_cast<std::size_t>(n);
  }
  return result;
}

}  // namespace tarnwell::platform
