// The file and folder services the benchmark needs, behind one interface so
// that the engine never cares how bytes move: the operating system's
// implementation does direct, write-through I/O; tests substitute one that
// fails at a chosen call.
//
// Test files are reached only through an opened, locked run folder and a
// plain file name inside it, so that no component of their path can be
// swapped for a link while a run is going on, and two runs never share a
// folder. Paths are UTF-8; Windows bodies convert at the call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tarnwell::platform {

// How a test file is opened.
enum class IoMode {
  // Around the file cache: every transfer goes to the device (O_DIRECT on
  // Linux, FILE_FLAG_NO_BUFFERING on Windows); writes are forced through.
  Direct,
  // Through the cache, but writes are synchronous and the file's cached pages
  // are dropped afterwards, for file systems that refuse direct I/O.
  SyncBuffered,
};

// What went wrong with a call, as far as the benchmark cares.
enum class IoError {
  None,
  // The file system refused direct I/O for this file or this transfer size.
  DirectUnsupported,
  NotFound,
  // Something other than a plain file or folder is in the way: a symbolic
  // link (a reparse point on Windows), a FIFO, a device, a socket.
  NotRegular,
  // A plain file that has other names too (a hard link): writing it would
  // change the file under every name, so it is no test file either.
  HardLinked,
  // Another run holds the run folder.
  Busy,
  // Anything else: no space, no permission, ... (the native code says which).
  Failed,
};

using FileHandle = std::int64_t;
inline constexpr FileHandle InvalidHandle = -1;

// A run folder held open and locked for the length of a run.
using FolderHandle = std::int64_t;
inline constexpr FolderHandle InvalidFolder = -1;

struct OpenResult {
  FileHandle handle = InvalidHandle;
  IoError error = IoError::Failed;
  int code = 0;  // errno on POSIX, GetLastError() on Windows; 0 when none
};

struct FolderResult {
  FolderHandle handle = InvalidFolder;
  IoError error = IoError::Failed;
  int code = 0;
};

struct TransferResult {
  std::size_t bytes = 0;  // bytes moved; less than asked means end of file
  IoError error = IoError::None;
  int code = 0;
};

// The calling thread's last native error code (errno, GetLastError()), for
// calls that answer only true or false.
int LastSystemError();
// Sets it to 0, before a call whose failure may come from the program's own
// checks rather than the system's, so that no stale code is reported.
void ClearSystemError();

// The system's own words for a native error code ("No space left on
// device"), as UTF-8; empty for 0.
std::string ErrorText(int code);

// Whether a native error code says that something is already there (EEXIST,
// ERROR_ALREADY_EXISTS).
bool IsExistsError(int code);

// What the user is told once a run falls back from direct I/O: the cause
// (`refusedAtOpen`: the file system has none; otherwise its sectors exceed
// the 1 KB block) and what is measured instead, in this system's terms.
std::string FallbackNotice(bool refusedAtOpen);

class FileSystem {
public:
  virtual ~FileSystem() = default;

  // Opens the existing folder `path` for a run and takes an exclusive lock on
  // it that lasts until CloseFolder: Busy when another run (in this or any
  // other process) holds it, NotRegular when `path` itself is a symbolic link
  // or not a folder. On Windows the lock is the folder opened without
  // sharing delete access plus a lock file; on Linux flock on the folder.
  virtual FolderResult OpenRunFolder(const std::string& path) = 0;
  virtual void CloseFolder(FolderHandle folder) = 0;
  // Whether the folder lies on a file system kept in memory (tmpfs, ramfs):
  // a run there measures memory, not a device.
  virtual bool IsInMemory(FolderHandle folder) = 0;

  // Creates or truncates the test file `name` in `folder` for writing without
  // sharing. Never follows a link, never blocks on a FIFO or device: anything
  // but a plain file there is NotRegular, a file with more than one link
  // HardLinked, and either is left untouched.
  virtual OpenResult CreateForWrite(FolderHandle folder, const char* name, IoMode mode) = 0;
  // Opens an existing test file for reading, on the same terms.
  virtual OpenResult OpenForRead(FolderHandle folder, const char* name, IoMode mode) = 0;
  // Removes the test file `name`; anything but a plain file with one link
  // stays.
  virtual bool RemoveFile(FolderHandle folder, const char* name) = 0;

  // Starts replacing the ordinary text file `path` (not a test file): the
  // text goes to a new temporary file beside it, which CommitText renames
  // over `path` (never through a link there, nor through a hard link to the
  // old file). A FIFO, device or socket at `path` is NotRegular and stays.
  // Close without CommitText abandons it and `path` keeps what it held.
  virtual OpenResult CreateText(const char* path) = 0;
  virtual bool CommitText(FileHandle file) = 0;

  // One transfer; retried internally when interrupted by a signal.
  virtual TransferResult Write(FileHandle file, const void* data, std::size_t size) = 0;
  virtual TransferResult Read(FileHandle file, void* data, std::size_t size) = 0;
  // Forces written data to the device.
  virtual bool Flush(FileHandle file) = 0;
  // Asks the system to forget the file's cached pages.
  virtual void DropCache(FileHandle file) = 0;
  virtual bool Close(FileHandle file) = 0;

  virtual bool IsDirectory(const std::string& path) = 0;
  virtual bool MakeDirectory(const std::string& path) = 0;
  // Creates a private folder (owner only) with every missing parent.
  virtual bool MakePrivateDirectories(const std::string& path) = 0;
  // Removes an empty folder; never follows a link at `path`.
  virtual bool RemoveFolder(const std::string& path) = 0;
};

// The operating system's file system.
FileSystem& SystemFileSystem();

}  // namespace tarnwell::platform
