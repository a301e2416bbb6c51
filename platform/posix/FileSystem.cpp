// POSIX file system for the benchmark: O_DIRECT test files with O_DSYNC
// writes, a synchronous buffered fallback, and plain folder operations.
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace tarnwell::platform {
namespace {

IoError ErrorFromErrno(int error) {
  switch (error) {
    case EINVAL:
      return IoError::DirectUnsupported;
    case ENOENT:
      return IoError::NotFound;
    default:
      return IoError::Failed;
  }
}

OpenResult OpenFile(const char* path, int flags, mode_t mode, bool direct) {
  int fd;
  do {
    fd = ::open(path, flags | O_NOFOLLOW | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    const int error = errno;
    // EINVAL from open only means "no O_DIRECT here" when we asked for it.
    if (error == EINVAL && !direct) return {InvalidHandle, IoError::Failed};
    return {InvalidHandle, ErrorFromErrno(error)};
  }
  return {fd, IoError::None};
}

class PosixFileSystem final : public FileSystem {
public:
  OpenResult CreateForWrite(const char* path, IoMode mode) override {
    const bool direct = mode == IoMode::Direct;
    const int flags = O_WRONLY | O_CREAT | O_TRUNC | O_DSYNC | (direct ? O_DIRECT : 0);
    return OpenFile(path, flags, 0644, direct);
  }

  OpenResult OpenForRead(const char* path, IoMode mode) override {
    const bool direct = mode == IoMode::Direct;
    OpenResult result = OpenFile(path, O_RDONLY | (direct ? O_DIRECT : 0), 0, direct);
    // Without O_DIRECT, make sure the read still comes from the device.
    if (!direct && result.error == IoError::None) DropCache(result.handle);
    return result;
  }

  OpenResult CreateText(const char* path) override {
    return OpenFile(path, O_WRONLY | O_CREAT | O_TRUNC, 0644, false);
  }

  TransferResult Write(FileHandle file, const void* data, std::size_t size) override {
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::write(static_cast<int>(file), bytes + done, size - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return {done, ErrorFromErrno(errno)};
      }
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return {done, done == size ? IoError::None : IoError::Failed};
  }

  TransferResult Read(FileHandle file, void* data, std::size_t size) override {
    char* bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n = ::read(static_cast<int>(file), bytes + done, size - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        return {done, ErrorFromErrno(errno)};
      }
      if (n == 0) break;  // end of file
      done += static_cast<std::size_t>(n);
    }
    return {done, IoError::None};
  }

  bool Flush(FileHandle file) override {
    int rc;
    do {
      rc = ::fdatasync(static_cast<int>(file));
    } while (rc != 0 && errno == EINTR);
    return rc == 0;
  }

  void DropCache(FileHandle file) override {
    ::posix_fadvise(static_cast<int>(file), 0, 0, POSIX_FADV_DONTNEED);
  }

  bool Close(FileHandle file) override {
    // close() must not be retried on EINTR: the descriptor is gone either way.
    return ::close(static_cast<int>(file)) == 0;
  }

  bool IsDirectory(const std::string& path) override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  bool MakeDirectory(const std::string& path) override { return ::mkdir(path.c_str(), 0755) == 0; }

  bool MakePrivateDirectories(const std::string& path) override {
    if (path.empty()) return false;
    std::string partial;
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t slash = path.find('/', start);
      if (slash == std::string::npos) slash = path.size();
      partial = path.substr(0, slash);
      start = slash + 1;
      if (partial.empty()) continue;
      if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat info {};
    // The final component must be a real folder, not a planted link to one.
    return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  bool RemoveFile(const char* path) override { return ::unlink(path) == 0; }

  bool RemoveDirectory(const std::string& path) override { return ::rmdir(path.c_str()) == 0; }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace tarnwell::platform
