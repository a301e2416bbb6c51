// How the platform layer reports a failure. One rule for every service here:
// - a call that only succeeds or fails returns a Status;
// - a call that returns something returns a Result<T>: the value, or the
//   Status saying why there is none. A call that returns more than one value
//   returns a struct that holds a Status (OpenResult, SpaceReport, ...);
// - `bool` only answers a yes/no question (IsDirectory, IsInMemory) and never
//   means "it failed";
// - `std::optional<T>` is a value or nothing, where nothing needs no reason.
// The native code (errno on POSIX, GetLastError() on Windows) is captured by
// the body right at the failing call, so no caller ever reads a
// thread-global error after the fact. Status and Result are [[nodiscard]]: a
// caller that deliberately goes on after a failure says so with BestEffort.
// Nothing here throws.
#pragma once

#include <optional>
#include <string>
#include <utility>

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
struct [[nodiscard]] Status {
  IoError error = IoError::None;
  int code = 0;

  bool Ok() const { return error == IoError::None; }
  // The system's words for `code`; empty when there is none.
  std::string Text() const { return ErrorText(code); }

  // A call that failed with the native code `code`.
  static Status Failure(int code) { return {IoError::Failed, code}; }
};

// A value, or the Status of the call that could not give one.
template <class T>
class [[nodiscard]] Result {
public:
  // NOLINTNEXTLINE(google-explicit-constructor): a body returns its value.
  Result(T value) : value_(std::move(value)) {}
  // A failure. A Status that says Ok carries no value, so it becomes a
  // refusal (IoError::Failed with no native code).
  // NOLINTNEXTLINE(google-explicit-constructor): a body returns its Status.
  Result(Status status) : status_(status.Ok() ? Status{IoError::Failed, 0} : status) {}

  bool Ok() const { return value_.has_value(); }
  // The value; only when Ok().
  const T& Value() const& { return *value_; }
  T& Value() & { return *value_; }
  T&& Value() && { return std::move(*value_); }
  const T& operator*() const& { return *value_; }
  T& operator*() & { return *value_; }
  const T* operator->() const { return &*value_; }
  T* operator->() { return &*value_; }
  // The value, or `fallback` when there is none.
  T ValueOr(T fallback) const& { return value_ ? *value_ : std::move(fallback); }
  // Why there is no value; Ok() when there is one.
  Status Error() const { return status_; }

private:
  std::optional<T> value_;
  Status status_;
};

// Marks a call whose failure the caller deliberately lets pass: the work
// goes on as it would have without the call (a cleanup after another
// failure, a priority that is only a wish). Each use says why beside it.
inline void BestEffort(const Status&) {}
template <class T>
inline void BestEffort(const Result<T>&) {}

}  // namespace tarnwell::platform
