// Atomic file replacement on POSIX: exclusive temporary file, fsync, rename,
// fsync of the folder so that the rename itself survives a power cut.
#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/posix/TemporaryFile.h"

namespace tarnwell::platform {
namespace {

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

// Where a save to `path` must land: a symbolic link there is kept, and the
// file it points to is replaced, as editors do. Relative targets count from
// the link's own folder.
std::string SaveTarget(std::string path) {
  for (int depth = 0; depth < 40; ++depth) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
    const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return {};
    const std::string next(target.data(), static_cast<std::size_t>(length));
    path = next[0] == '/' ? next : FolderOf(path) + "/" + next;
  }
  return {};  // a loop of links
}

}  // namespace

bool ReplaceFileAtomically(const std::string& linkOrPath, std::string_view contents) {
  if (linkOrPath.empty() || linkOrPath.back() == '/') return false;
  const std::string path = SaveTarget(linkOrPath);
  if (path.empty()) return false;
  // Earlier versions replaced the link itself, with temporaries named after it.
  if (path != linkOrPath) RemoveStaleTemporaries(linkOrPath);

  mode_t mode = 0666;  // narrowed by the umask for a new file
  bool keepMode = false;
  struct stat existing {};
  if (::lstat(path.c_str(), &existing) == 0) {
    if (S_ISDIR(existing.st_mode)) return false;
    if (S_ISREG(existing.st_mode)) {
      // A write-protected file is the user's way of freezing it; the rename
      // would ignore that, so honour it here. access() lets root write
      // anything, so the mode bits are asked as well.
      if (::access(path.c_str(), W_OK) != 0 || (existing.st_mode & 0222) == 0) return false;
      mode = existing.st_mode & 07777;
      keepMode = true;
    }
  } else if (errno != ENOENT) {
    return false;
  }

  std::string temporary;
  const int fd = CreateTemporaryBeside(path, mode, temporary);
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
