// Atomic file replacement on POSIX: exclusive temporary file, fsync, rename,
// fsync of the folder so that the rename itself survives a power cut.
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace tarnwell::platform {
namespace {

constexpr int TemporaryNameAttempts = 100;

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool WriteAll(int fd, std::string_view contents) {
  std::size_t done = 0;
  while (done < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

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

// Creates a new temporary file beside `path`; returns its descriptor and name.
int CreateTemporary(const std::string& path, mode_t mode, std::string& name) {
  for (int attempt = 0; attempt < TemporaryNameAttempts; ++attempt) {
    name = path + ".tmp";
    if (attempt > 0) name += std::to_string(attempt);
    int fd;
    do {
      // O_EXCL with O_NOFOLLOW: a file or link planted at the name is never
      // opened, we just move on to the next name.
      fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0) return fd;
    if (errno != EEXIST) return -1;
  }
  return -1;
}

}  // namespace

bool ReplaceFileAtomically(const std::string& path, std::string_view contents) {
  if (path.empty() || path.back() == '/') return false;

  mode_t mode = 0666;  // narrowed by the umask for a new file
  bool keepMode = false;
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) return false;
    if (S_ISREG(existing.st_mode)) {
      // A write-protected file is the user's way of freezing it; the rename
      // would ignore that, so honour it here.
      if (::access(path.c_str(), W_OK) != 0) return false;
      mode = existing.st_mode & 07777;
      keepMode = true;
    }
  } else if (errno != ENOENT) {
    return false;
  }

  std::string temporary;
  const int fd = CreateTemporary(path, mode, temporary);
  if (fd < 0) return false;

  bool ok = WriteAll(fd, contents);
  if (ok && keepMode) {
    // Run by root on a user's file, keep the user as its owner. Others cannot
    // change the owner and need not: the new file is already theirs.
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(fd, existing.st_uid, existing.st_gid);
    }
    // The mode passed to open() went through the umask; give back the old
    // bits (after fchown, which may clear set-id bits).
    ok = ::fchmod(fd, mode) == 0;
  }
  if (ok) ok = SyncFile(fd);
  // close() reports late write errors on some file systems (NFS).
  if (::close(fd) != 0) ok = false;
  if (ok) ok = ::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolder(FolderOf(path));
  return true;
}

}  // namespace tarnwell::platform
