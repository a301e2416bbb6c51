// Atomic file replacement on POSIX: exclusive temporary file, fsync, rename,
// fsync of the folder so that the rename itself survives a power cut. The
// rename replaces the name itself and never writes through what is there,
// so a link or FIFO put in place after the checks is replaced, never
// followed or opened.
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathNames.h"
#include "platform/posix/TemporaryFile.h"
#include "platform/posix/WriteAll.h"

namespace tarnwell::platform {
namespace {

bool SyncFile(int fd) {
  int rc;
  do {
    rc = ::fsync(fd);
  } while (rc != 0 && errno == EINTR);
  return rc == 0;
}

// Best effort: some file systems cannot sync a folder, and by now the new
// file is in place whatever the answer.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  SyncFile(fd);
  ::close(fd);
}

// Where a save to `path` must land: a symbolic link there is kept, and the
// file it points to is replaced, as editors do, when the link is this user's
// or root's; anyone else's link is refused (`refusal` says so). Relative
// targets count from the link's own folder. Empty when there is no target.
std::string SaveTarget(std::string path, LinkAtPath links, const char*& refusal) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    if (links == LinkAtPath::Refuse) {
      refusal = SaveRefusal::Link;
      return {};
    }
    if (info.st_uid != ::geteuid() && info.st_uid != 0) {
      refusal = SaveRefusal::ForeignLink;
      return {};
    }
    std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    const std::string next(target.data(), static_cast<std::size_t>(length));
    if (next[0] == '/') {
      path = next;
    } else {
      path = ContainingFolder(path);
      path += '/';
      path += next;
    }
  }
  errno = ELOOP;
  return {};
}

SaveResult Refuse(const char* text) {
  SaveResult result;
  result.error = IoError::NotRegular;
  result.refusal = text;
  return result;
}

// A failed call with the native code `code`.
SaveResult Failed(int code) {
  SaveResult result;
  result.error = IoError::Failed;
  result.code = code;
  return result;
}

// A failed call: the code it left in errno.
SaveResult Failed() { return Failed(errno); }

// Writes the new contents into the temporary and gives it the old file's
// owner and mode (`existing`, when `keepMode`); the failing call's code.
Status FillTemporary(int fd, std::string_view contents, bool keepMode, const struct stat& existing,
                     mode_t mode) {
  const Status written = WriteAll(fd, contents);
  if (!written.Ok()) return written;
  if (keepMode) {
    // Run by root on a user's file, keep the user as its owner. Others cannot
    // change the owner and need not: the new file is already theirs.
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
    }
    // The mode passed to open() went through the umask; give back the old
    // bits (after fchown, which may clear set-id bits).
    if (::fchmod(fd, mode) != 0) return Status::Failure(errno);
  }
  if (!SyncFile(fd)) return Status::Failure(errno);
  return {};
}

}  // namespace

SaveResult ReplaceFileAtomically(const std::string& linkOrPath, std::string_view contents,
                                 LinkAtPath links) {
  if (linkOrPath.empty() || linkOrPath.back() == '/') {
    errno = linkOrPath.empty() ? ENOENT : EISDIR;
    return Failed();
  }
  const char* refusal = nullptr;
  errno = 0;
  const std::string path = SaveTarget(linkOrPath, links, refusal);
  if (refusal != nullptr) return Refuse(refusal);
  if (path.empty()) return Failed();
  // Earlier versions replaced the link itself, with temporaries named after it.
  if (path != linkOrPath) RemoveStaleTemporaries(linkOrPath);

  mode_t mode = 0666;  // narrowed by the umask for a new file
  bool keepMode = false;
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) {
      errno = EISDIR;
      return Failed();
    }
    // A FIFO, device or socket is no file of ours: renaming over it would
    // destroy it (as root even a device node).
    if (!S_ISREG(existing.st_mode)) return Refuse(SaveRefusal::NotRegular);
    // A write-protected file is the user's way of freezing it; the rename
    // would ignore that, so honour it here. access() lets root write
    // anything, so the mode bits are asked as well.
    if (::access(path.c_str(), W_OK) != 0) return Failed();
    if ((existing.st_mode & 0222) == 0) return Refuse(SaveRefusal::WriteProtected);
    mode = existing.st_mode & 07777;
    keepMode = true;
  } else if (errno != ENOENT) {
    return Failed();
  }

  const Result<TemporaryFile> temporary = CreateTemporaryBeside(path, mode);
  if (!temporary.Ok()) return Failed(temporary.Error().code);

  Status status = FillTemporary(temporary->fd, contents, keepMode, existing, mode);
  // close() reports late write errors on some file systems (NFS).
  if (::close(temporary->fd) != 0 && status.Ok()) status = Status::Failure(errno);
  if (status.Ok() && ::rename(temporary->name.c_str(), path.c_str()) != 0) {
    status = Status::Failure(errno);
  }
  if (!status.Ok()) {
    ::unlink(temporary->name.c_str());
    return Failed(status.code);
  }
  SyncFolder(ContainingFolder(path));
  return {};
}

}  // namespace tarnwell::platform
