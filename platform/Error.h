// How the platform layer reports a failure. One rule for every service here:
// - `bool` answers a yes/no question (IsDirectory, IsInMemory) and never
//   means "it failed";
// - `std::optional<T>` is a value or nothing, where nothing needs no reason;
// - everything that can fail for a system reason returns a Status, or a
//   result struct that is a Status plus its value (OpenResult,
//   TransferResult, ...). The native code (errno on POSIX, GetLastError() on
//   Windows) is captured by the body right at the failing call, so no caller
//   ever reads a thread-global error after the fact.
// Nothing here throws.
#pragma once

#include <string>

namespace tarnwell::platform {

// What went wrong with a call, as far as the program cares.
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

// The system's own words for a native error code ("No space left on
// device"), as UTF-8; empty for 0.
std::string ErrorText(int code);

// Whether a native error code says that something is already there (EEXIST,
// ERROR_ALREADY_EXISTS).
bool IsExistsError(int code);
// Whether a native error code says that the disk or the user's quota is full
// (ENOSPC, EDQUOT, ERROR_DISK_FULL, ERROR_HANDLE_DISK_FULL).
bool IsNoSpaceError(int code);

// How a call went: its kind of failure and the native code behind it (0 when
// the program itself refused, or on success).
struct Status {
  IoError error = IoError::None;
  int code = 0;

  bool Ok() const { return error == IoError::None; }
  // The system's words for `code`; empty when there is none.
  std::string Text() const { return ErrorText(code); }

  // A call that failed with the native code `code`.
  static Status Failure(int code) { return {IoError::Failed, code}; }
};

}  // namespace tarnwell::platform
