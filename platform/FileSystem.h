// The file and folder services the benchmark needs, behind one interface so
// that the engine never cares how bytes move: the operating system's
// implementation does direct, write-through I/O; tests substitute one that
// fails at a chosen call.
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
  // Anything else: no space, no permission, a link where a file must be, ...
  Failed,
};

using FileHandle = std::int64_t;
inline constexpr FileHandle InvalidHandle = -1;

struct OpenResult {
  FileHandle handle = InvalidHandle;
  IoError error = IoError::Failed;
};

struct TransferResult {
  std::size_t bytes = 0;  // bytes moved; less than asked means end of file
  IoError error = IoError::None;
};

class FileSystem {
public:
  virtual ~FileSystem() = default;

  // Creates or truncates a test file for writing without sharing. Never
  // follows a symbolic link at `path`.
  virtual OpenResult CreateForWrite(const char* path, IoMode mode) = 0;
  // Opens an existing test file for reading. Never follows a symbolic link.
  virtual OpenResult OpenForRead(const char* path, IoMode mode) = 0;
  // Creates or truncates an ordinary text file (not a test file), never
  // following a symbolic link at `path`.
  virtual OpenResult CreateText(const char* path) = 0;

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
  virtual bool RemoveFile(const char* path) = 0;
  virtual bool RemoveDirectory(const std::string& path) = 0;
};

// The operating system's file system.
FileSystem& SystemFileSystem();

}  // namespace tarnwell::platform
