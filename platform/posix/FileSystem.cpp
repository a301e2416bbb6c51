// POSIX file system for the benchmark: O_DIRECT test files with O_DSYNC
// writes, a synchronous buffered fallback, test files opened relative to a
// locked run folder, and plain folder operations.
#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

#include "platform/posix/TemporaryFile.h"

namespace tarnwell::platform {
namespace {

constexpr long TmpfsMagic = 0x01021994;
constexpr long RamfsMagic = 0x858458f6;

// Runs `call` again while a signal interrupts it.
template <typename Call>
auto RetryOnSignal(Call call) {
  for (;;) {
    auto result = call();
    if (result >= 0 || errno != EINTR) return result;
  }
}

// The failure of the call that just set errno.
Status Failure() { return Status::Failure(errno); }

// What a call answering 0 or -1 with errno did.
Status StatusOf(int rc) { return rc == 0 ? Status{} : Failure(); }

IoError ErrorFromErrno(int error) {
  switch (error) {
    case EINVAL:
      return IoError::DirectUnsupported;
    case ENOENT:
      return IoError::NotFound;
    case ELOOP:
      return IoError::NotRegular;
    default:
      return IoError::Failed;
  }
}

// Opens `name` under `folder` without following a link and without ever
// waiting: a FIFO or device answers at once and is refused before anything
// is written to it or read from it, and so is a file with other names.
// `truncate` empties the file once it has passed those checks.
OpenResult OpenTestFile(int folder, const char* name, int flags, mode_t mode, bool direct,
                        bool truncate) {
  const int fd = RetryOnSignal(
      [&] { return ::openat(folder, name, flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, mode); });
  if (fd < 0) {
    const int error = errno;
    struct stat info {};
    // A FIFO without a reader refuses a non-blocking writer with ENXIO;
    // say what is really in the way.
    if (error != ENOENT && ::fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        !S_ISREG(info.st_mode)) {
      return {InvalidHandle, IoError::NotRegular, error};
    }
    // EINVAL from open only means "no O_DIRECT here" when we asked for it.
    if (error == EINVAL && !direct) return {InvalidHandle, IoError::Failed, error};
    return {InvalidHandle, ErrorFromErrno(error), error};
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return {InvalidHandle, IoError::NotRegular, 0};
  }
  if (info.st_nlink > 1) {
    ::close(fd);
    return {InvalidHandle, IoError::HardLinked, 0};
  }
  // Emptied only now that it is known to be a test file of its own.
  if (truncate && RetryOnSignal([&] { return ::ftruncate(fd, 0); }) != 0) {
    const int error = errno;
    ::close(fd);
    return {InvalidHandle, IoError::Failed, error};
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return {fd, IoError::None, 0};
}

class PosixFileSystem final : public FileSystem {
public:
  FolderResult OpenRunFolder(const std::string& path) override {
    // A closing slash would make the system follow a link after all.
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    const int fd = RetryOnSignal(
        [&] { return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); });
    if (fd < 0) {
      const int error = errno;
      // O_NOFOLLOW answers ELOOP for a link, O_DIRECTORY ENOTDIR for a file.
      const bool inTheWay = error == ELOOP || error == ENOTDIR;
      return {InvalidFolder, inTheWay ? IoError::NotRegular : ErrorFromErrno(error), error};
    }
    // The lock belongs to the open folder, so it also covers a second run in
    // this same process and goes away with the process, however it ends.
    if (RetryOnSignal([&] { return ::flock(fd, LOCK_EX | LOCK_NB); }) != 0) {
      const int error = errno;
      ::close(fd);
      return {InvalidFolder, error == EWOULDBLOCK ? IoError::Busy : IoError::Failed, error};
    }
    return {fd, IoError::None, 0};
  }

  void CloseFolder(FolderHandle folder) override {
    if (folder != InvalidFolder) ::close(static_cast<int>(folder));
  }

  bool IsInMemory(FolderHandle folder) override {
    struct statfs info {};
    if (::fstatfs(static_cast<int>(folder), &info) != 0) return false;
    const long type = static_cast<long>(info.f_type);
    return type == TmpfsMagic || type == RamfsMagic;
  }

  SpaceReport Space(FolderHandle folder) override {
    SpaceReport report;
    struct statvfs info {};
    if (::fstatvfs(static_cast<int>(folder), &info) != 0) {
      static_cast<Status&>(report) = Status::Failure(errno);
      return report;
    }
    const auto unit = static_cast<std::int64_t>(info.f_frsize);
    report.FreeBytes = static_cast<std::int64_t>(info.f_bavail) * unit;
    // A file system without an inode table (btrfs) reports none at all.
    if (info.f_files > 0) {
      report.Files = static_cast<std::int64_t>(info.f_files);
      report.FreeFiles = static_cast<std::int64_t>(info.f_favail);
    }
    return report;
  }

  OpenResult CreateForWrite(FolderHandle folder, const char* name, IoMode mode) override {
    const bool direct = mode == IoMode::Direct;
    // No O_TRUNC: a hard-linked file must keep its contents.
    const int flags = O_WRONLY | O_CREAT | O_DSYNC | (direct ? O_DIRECT : 0);
    return OpenTestFile(static_cast<int>(folder), name, flags, 0644, direct, true);
  }

  OpenResult OpenForRead(FolderHandle folder, const char* name, IoMode mode) override {
    const bool direct = mode == IoMode::Direct;
    OpenResult result = OpenTestFile(static_cast<int>(folder), name,
                                     O_RDONLY | (direct ? O_DIRECT : 0), 0, direct, false);
    // Without O_DIRECT, make sure the read still comes from the device.
    if (!direct && result.error == IoError::None) DropCache(result.handle);
    return result;
  }

  Status RemoveFile(FolderHandle folder, const char* name) override {
    // Only plain files with one name are test files: a FIFO, link or hard
    // link someone put at the name is theirs, not ours to delete.
    struct stat info {};
    if (::fstatat(static_cast<int>(folder), name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
      return Failure();
    }
    if (!S_ISREG(info.st_mode)) return {IoError::NotRegular, 0};
    if (info.st_nlink > 1) return {IoError::HardLinked, 0};
    return StatusOf(::unlinkat(static_cast<int>(folder), name, 0));
  }

  std::int64_t TestFileBytes(FolderHandle folder, const char* name) override {
    struct stat info {};
    if (::fstatat(static_cast<int>(folder), name, &info, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(info.st_mode) || info.st_nlink > 1) {
      return -1;
    }
    return static_cast<std::int64_t>(info.st_blocks) * 512;  // allocated, not apparent, size
  }

  OpenResult CreateText(const char* path) override {
    // A fresh temporary beside the target, created exclusively so that
    // nothing planted there is ever written through; one a crashed run left
    // is cleared on the way. A link at `path` is replaced by the rename,
    // never followed; a FIFO or device there is not ours to replace.
    struct stat existing {};
    if (::lstat(path, &existing) == 0 && !S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode)) {
      return {InvalidHandle, IoError::NotRegular, 0};
    }
    Result<TemporaryFile> temporary = CreateTemporaryBeside(path, 0644);
    if (!temporary.Ok()) {
      const int code = temporary.Error().code;
      return {InvalidHandle, ErrorFromErrno(code), code};
    }
    const int fd = temporary->fd;
    std::lock_guard<std::mutex> lock(mutex_);
    pending_[fd] = {std::move(temporary->name), path};
    return {fd, IoError::None, 0};
  }

  Status CommitText(FileHandle file) override {
    const Pending pending = TakePending(file);
    Status status = StatusOf(::fsync(static_cast<int>(file)));
    const Status closed = StatusOf(::close(static_cast<int>(file)));
    if (status.Ok()) status = closed;
    if (status.Ok()) status = StatusOf(::rename(pending.temporary.c_str(), pending.target.c_str()));
    if (!status.Ok()) ::unlink(pending.temporary.c_str());
    return status;
  }

  TransferResult Write(FileHandle file, const void* data, std::size_t size) override {
    const char* bytes = static_cast<const char*>(data);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n =
          RetryOnSignal([&] { return ::write(static_cast<int>(file), bytes + done, size - done); });
      if (n < 0) return {done, ErrorFromErrno(errno), errno};
      if (n == 0) break;
      done += static_cast<std::size_t>(n);
    }
    return {done, done == size ? IoError::None : IoError::Failed, done == size ? 0 : ENOSPC};
  }

  TransferResult Read(FileHandle file, void* data, std::size_t size) override {
    char* bytes = static_cast<char*>(data);
    std::size_t done = 0;
    while (done < size) {
      const ssize_t n =
          RetryOnSignal([&] { return ::read(static_cast<int>(file), bytes + done, size - done); });
      if (n < 0) return {done, ErrorFromErrno(errno), errno};
      if (n == 0) break;  // end of file
      done += static_cast<std::size_t>(n);
    }
    return {done, IoError::None, 0};
  }

  Status Flush(FileHandle file) override {
    return StatusOf(RetryOnSignal([&] { return ::fdatasync(static_cast<int>(file)); }));
  }

  void DropCache(FileHandle file) override {
    ::posix_fadvise(static_cast<int>(file), 0, 0, POSIX_FADV_DONTNEED);
  }

  Status Close(FileHandle file) override {
    // An abandoned text file leaves neither its temporary nor a change.
    const Pending pending = TakePending(file);
    if (!pending.temporary.empty()) ::unlink(pending.temporary.c_str());
    // close() must not be retried on EINTR: the descriptor is gone either way.
    return StatusOf(::close(static_cast<int>(file)));
  }

  bool IsDirectory(const std::string& path) override {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
  }

  Status MakeDirectory(const std::string& path) override {
    return StatusOf(::mkdir(path.c_str(), 0755));
  }

  Status MakePrivateDirectories(const std::string& path) override {
    if (path.empty()) return Status::Failure(ENOENT);
    std::string partial;
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t slash = path.find('/', start);
      if (slash == std::string::npos) slash = path.size();
      partial = path.substr(0, slash);
      start = slash + 1;
      if (partial.empty()) continue;
      if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return Failure();
    }
    struct stat info {};
    // The final component must be a real folder, not a planted link to one.
    if (::lstat(path.c_str(), &info) != 0) return Failure();
    // Something else is already there.
    return S_ISDIR(info.st_mode) ? Status{} : Status{IoError::NotRegular, EEXIST};
  }

  Status RemoveFolder(const std::string& path) override { return StatusOf(::rmdir(path.c_str())); }

private:
  struct Pending {
    std::string temporary;
    std::string target;
  };

  Pending TakePending(FileHandle file) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = pending_.find(file);
    if (found == pending_.end()) return {};
    Pending pending = std::move(found->second);
    pending_.erase(found);
    return pending;
  }

  std::mutex mutex_;
  std::map<FileHandle, Pending> pending_;  // text files not yet committed
};

}  // namespace

std::string FallbackNotice(bool refusedAtOpen) {
  return std::string(refusedAtOpen
                         ? "このファイルシステムは直接 I/O (O_DIRECT) に対応していません。"
                         : "このデバイスのセクタ長が 1KB を超えるため、1KB 単位の直接 I/O "
                           "ができません。") +
         "同期書き込みとキャッシュの破棄に切り替えて測定します。";
}

bool IsExistsError(int code) { return code == EEXIST; }

bool IsNoSpaceError(int code) { return code == ENOSPC || code == EDQUOT; }

std::string ErrorText(int code) {
  if (code == 0) return {};
  char buffer[256];
  // The GNU strerror_r may return a static text instead of filling `buffer`.
  return ::strerror_r(code, buffer, sizeof buffer);
}

FileSystem& SystemFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace tarnwell::platform

namespace tarnwell::platform {

FileIdentity IdentifyStandardOutput() {
  FileIdentity identity;
  struct stat info {};
  if (::fstat(STDOUT_FILENO, &info) != 0) {
    identity.error = IoError::Failed;
    identity.code = errno;
    return identity;
  }
  identity.volume = static_cast<std::uint64_t>(info.st_dev);
  identity.index = static_cast<std::uint64_t>(info.st_ino);
  identity.kind = S_ISREG(info.st_mode) ? FileIdentity::Kind::File : FileIdentity::Kind::Other;
  return identity;
}

FileIdentity IdentifyFile(const std::string& path, bool followLink) {
  FileIdentity identity;
  const auto fail = [&](IoError error, int code) {
    identity.error = error;
    identity.code = code;
    return identity;
  };
  if (path.empty()) return fail(IoError::NotFound, ENOENT);
  if (path.back() == '/') return fail(IoError::Failed, EISDIR);
  struct stat info {};
  if ((followLink ? ::stat(path.c_str(), &info) : ::lstat(path.c_str(), &info)) == 0) {
    identity.volume = static_cast<std::uint64_t>(info.st_dev);
    identity.index = static_cast<std::uint64_t>(info.st_ino);
    identity.kind = S_ISREG(info.st_mode)   ? FileIdentity::Kind::File
                    : S_ISLNK(info.st_mode) ? FileIdentity::Kind::Link
                    : S_ISDIR(info.st_mode) ? FileIdentity::Kind::Folder
                                            : FileIdentity::Kind::Other;
    if (identity.kind == FileIdentity::Kind::File) {
      identity.writeProtected = (info.st_mode & 0222) == 0;
      if (::access(path.c_str(), W_OK) != 0) identity.cannotWrite = errno;
    }
    return identity;
  }
  if (errno != ENOENT) return fail(errno == ENOTDIR ? IoError::NotFound : IoError::Failed, errno);
  // A link that leads nowhere is still a link at the path.
  if (followLink && ::lstat(path.c_str(), &info) == 0) {
    identity.kind = FileIdentity::Kind::Link;
    identity.volume = static_cast<std::uint64_t>(info.st_dev);
    identity.index = static_cast<std::uint64_t>(info.st_ino);
    return identity;
  }
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "."
                             : slash == 0               ? "/"
                                                        : path.substr(0, slash);
  if (::stat(folder.c_str(), &info) != 0) {
    return fail(errno == ENOENT || errno == ENOTDIR ? IoError::NotFound : IoError::Failed, errno);
  }
  if (!S_ISDIR(info.st_mode)) return fail(IoError::NotFound, ENOTDIR);
  identity.volume = static_cast<std::uint64_t>(info.st_dev);
  identity.index = static_cast<std::uint64_t>(info.st_ino);
  identity.name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (::access(folder.c_str(), W_OK | X_OK) != 0) identity.cannotWrite = errno;
  return identity;
}

}  // namespace tarnwell::platform
