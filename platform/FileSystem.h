// The file and folder services the benchmark needs, behind one interface so
// that the engine never cares how bytes move: the operating system's
// implementation does direct, write-through I/O; tests substitute one that
// fails at a chosen call.
//
// Test files are reached only through an opened, locked run folder and a
// plain file name inside it, so that no component of their path can be
// swapped for a link while a run is going on, and two runs never share a
// folder. Paths are UTF-8; Windows bodies convert at the call. Failures are
// reported by the rule of platform/Error.h: a Status carrying the native code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Error.h"

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

using FileHandle = std::int64_t;
inline constexpr FileHandle InvalidHandle = -1;

// A run folder held open and locked for the length of a run.
using FolderHandle = std::int64_t;
inline constexpr FolderHandle InvalidFolder = -1;

// An opened test or text file; `handle` is valid only when Ok().
struct OpenResult : Status {
  FileHandle handle = InvalidHandle;

  OpenResult() : Status{IoError::Failed, 0} {}
  OpenResult(FileHandle handle, IoError error, int code = 0)
      : Status{error, code}, handle(handle) {}
};

// An opened and locked run folder; `handle` is valid only when Ok().
struct FolderResult : Status {
  FolderHandle handle = InvalidFolder;

  FolderResult() : Status{IoError::Failed, 0} {}
  FolderResult(FolderHandle handle, IoError error, int code = 0)
      : Status{error, code}, handle(handle) {}
};

// One transfer: the bytes moved (less than asked means end of file when Ok()).
struct TransferResult : Status {
  std::size_t bytes = 0;

  TransferResult() = default;
  TransferResult(std::size_t bytes, IoError error, int code = 0)
      : Status{error, code}, bytes(bytes) {}
};

// The space of a folder's file system as it reports it at one moment; -1
// for a figure it does not keep (Windows and btrfs count no inodes).
struct SpaceReport : Status {
  std::int64_t FreeBytes = -1;  // what an unprivileged writer may still use
  std::int64_t FreeFiles = -1;  // files (inodes) that may still be made
  std::int64_t Files = -1;      // files the file system can hold in all
};

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
  // The free space and inodes of the folder's file system right now, so a
  // run can tell why a write found the disk full (fstatvfs; on Windows the
  // folder's volume, without inodes).
  virtual SpaceReport Space(FolderHandle folder) = 0;

  // Creates or truncates the test file `name` in `folder` for writing without
  // sharing. Never follows a link, never blocks on a FIFO or device: anything
  // but a plain file there is NotRegular, a file with more than one link
  // HardLinked, and either is left untouched.
  virtual OpenResult CreateForWrite(FolderHandle folder, const char* name, IoMode mode) = 0;
  // Opens an existing test file for reading, on the same terms.
  virtual OpenResult OpenForRead(FolderHandle folder, const char* name, IoMode mode) = 0;
  // Removes the test file `name`; anything but a plain file with one link
  // stays.
  virtual Status RemoveFile(FolderHandle folder, const char* name) = 0;
  // The space the test file `name` in `folder` holds on the disk; -1 when
  // there is none, or anything but a plain file with one link (which a run
  // would never empty).
  virtual std::int64_t TestFileBytes(FolderHandle folder, const char* name) = 0;

  // Starts replacing the ordinary text file `path` (not a test file): the
  // text goes to a new temporary file beside it, which CommitText renames
  // over `path` (never through a link there, nor through a hard link to the
  // old file). A FIFO, device or socket at `path` is NotRegular and stays.
  // Close without CommitText abandons it and `path` keeps what it held.
  virtual OpenResult CreateText(const char* path) = 0;
  virtual Status CommitText(FileHandle file) = 0;

  // One transfer; retried internally when interrupted by a signal.
  virtual TransferResult Write(FileHandle file, const void* data, std::size_t size) = 0;
  virtual TransferResult Read(FileHandle file, void* data, std::size_t size) = 0;
  // Forces written data to the device.
  virtual Status Flush(FileHandle file) = 0;
  // Asks the system to forget the file's cached pages.
  virtual void DropCache(FileHandle file) = 0;
  virtual Status Close(FileHandle file) = 0;

  virtual bool IsDirectory(const std::string& path) = 0;
  virtual Status MakeDirectory(const std::string& path) = 0;
  // Creates a private folder (owner only) with every missing parent.
  virtual Status MakePrivateDirectories(const std::string& path) = 0;
  // Removes an empty folder; never follows a link at `path`.
  virtual Status RemoveFolder(const std::string& path) = 0;
};

// What a path names, so that two paths can be told to be one file however
// they are spelt (".", "..", links to folders, hard links, letter case on
// Windows): the device and inode on POSIX, the volume serial number and file
// index on Windows. A path where nothing is yet is named by the folder it
// would be made in and its last component, which is how a save there would
// reach it.
struct FileIdentity : Status {
  enum class Kind { Missing, File, Link, Folder, Other };
  Kind kind = Kind::Missing;
  // The file's own (the link's with `followLink` false), or for Missing the
  // folder's that would hold it.
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  // Missing only: the last component as that folder compares names (letter
  // case folded on Windows).
  std::string name;
  // File only: the user protected it (no write permission bit; the
  // read-only attribute on Windows).
  bool writeProtected = false;
  // Why the system would not let this process replace the file or make one
  // in the folder (its native code), as far as can be told without trying;
  // 0 when nothing says so.
  int cannotWrite = 0;
};

// Not Ok() when the path cannot be named at all: the folder it would be in
// is missing (NotFound) or out of reach (Failed, with the native code), or
// the path ends in a separator (a folder, Failed). `followLink`: a symbolic
// link (reparse point) at the path names what it leads to, else the link
// itself (Kind::Link).
FileIdentity IdentifyFile(const std::string& path, bool followLink);

// What the program's standard output is: Kind::File when it goes to a
// plain file (`> file`, `>> file`), Other for a terminal or pipe, not Ok()
// when there is none.
FileIdentity IdentifyStandardOutput();

// Whether two identities name one file: both there and the same, or both
// missing with the same folder and name. Never for one that is not Ok().
inline bool SameFile(const FileIdentity& a, const FileIdentity& b) {
  if (!a.Ok() || !b.Ok() || a.volume != b.volume || a.index != b.index) return false;
  const bool aMissing = a.kind == FileIdentity::Kind::Missing;
  const bool bMissing = b.kind == FileIdentity::Kind::Missing;
  return aMissing == bMissing && (!aMissing || a.name == b.name);
}

// The operating system's file system.
FileSystem& SystemFileSystem();

}  // namespace tarnwell::platform
