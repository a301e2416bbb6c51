// Appending lines and reading plain files on Windows. Appenders take an
// exclusive byte-range lock far beyond any real end of file, so they take
// turns without ever locking data a reader wants.
#include "platform/TextFiles.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/PathNames.h"
#include "platform/win32/Encoding.h"

namespace tarnwell::platform {
namespace {

HANDLE AsHandle(std::int64_t handle) {
  return reinterpret_cast<HANDLE>(static_cast<intptr_t>(handle));
}

Status Failure(DWORD code) { return {IoError::Failed, static_cast<int>(code)}; }

constexpr DWORD LockOffsetHigh = 0x7FFFFFFF;

OVERLAPPED At(std::int64_t offset) {
  OVERLAPPED where{};
  where.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset) & 0xFFFFFFFF);
  where.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  return where;
}

bool LockWithin(HANDLE file, std::chrono::milliseconds patience) {
  const auto deadline = std::chrono::steady_clock::now() + patience;
  for (;;) {
    OVERLAPPED where{};
    where.OffsetHigh = LockOffsetHigh;
    if (::LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &where)) {
      return true;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_LOCK_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
      ::SetLastError(error);
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void Unlock(HANDLE file) {
  OVERLAPPED where{};
  where.OffsetHigh = LockOffsetHigh;
  ::UnlockFileEx(file, 0, 1, 0, &where);
}

// Whether the open handle is a plain file on a disk (no folder, pipe,
// console or device, no reparse point).
bool IsPlainFile(HANDLE file) {
  BY_HANDLE_FILE_INFORMATION info{};
  return ::GetFileType(file) == FILE_TYPE_DISK && ::GetFileInformationByHandle(file, &info) &&
         (info.dwFileAttributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// Appends to the opened, locked plain file of `size` bytes; cuts it back
// when the line did not arrive whole. Returns the error, or 0.
DWORD AppendLocked(HANDLE file, std::int64_t size, std::string_view line) {
  std::string text;
  if (size > 0) {
    char last = '\n';
    DWORD read = 0;
    OVERLAPPED where = At(size - 1);
    if (!::ReadFile(file, &last, 1, &read, &where) || read != 1) return ::GetLastError();
    if (last != '\n') text += "\r\n";
  }
  text += line;
  text += "\r\n";
  DWORD error = 0;
  std::size_t done = 0;
  while (done < text.size()) {
    DWORD written = 0;
    OVERLAPPED where = At(size + static_cast<std::int64_t>(done));
    if (!::WriteFile(file, text.data() + done, static_cast<DWORD>(text.size() - done), &written,
                     &where) ||
        written == 0) {
      error = written == 0 && ::GetLastError() == 0 ? ERROR_DISK_FULL : ::GetLastError();
      break;
    }
    done += written;
  }
  if (error == 0 && !::FlushFileBuffers(file)) error = ::GetLastError();
  if (error != 0) {
    // A fragment would be glued to the next line and cost both runs.
    LARGE_INTEGER end;
    end.QuadPart = size;
    if (::SetFilePointerEx(file, end, nullptr, FILE_BEGIN)) ::SetEndOfFile(file);
  }
  return error;
}

}  // namespace

Status AppendLine(const std::string& path, std::string_view line) {
  const std::string folder = ParentPath(path);
  if (!folder.empty() && !IsRootPath(folder)) {
    const Status made = SystemFileSystem().MakePrivateDirectories(folder);
    if (!made.Ok()) return Failure(static_cast<DWORD>(made.code));
  }
  const std::wstring wide = win32::Wide(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes &
       (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return {IoError::NotRegular, 0};
  }
  const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failure(::GetLastError());
  Status status;
  LARGE_INTEGER size{};
  if (!IsPlainFile(file)) {
    status = {IoError::NotRegular, 0};
  } else if (!LockWithin(file, std::chrono::seconds(5))) {
    status = Failure(::GetLastError());
  } else {
    if (!::GetFileSizeEx(file, &size)) {
      status = Failure(::GetLastError());
    } else if (const DWORD error = AppendLocked(file, size.QuadPart, line); error != 0) {
      status = Failure(error);
    }
    Unlock(file);
  }
  ::CloseHandle(file);
  return status;
}

TextFileReader::~TextFileReader() {
  if (handle_ >= 0) ::CloseHandle(AsHandle(handle_));
}

Status TextFileReader::Open(const std::string& path) {
  if (handle_ >= 0) ::CloseHandle(AsHandle(handle_));
  handle_ = -1;
  size_ = 0;
  const std::wstring wide = win32::Wide(path);
  const DWORD attributes = ::GetFileAttributesW(wide.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
               ? Status{IoError::NotFound, static_cast<int>(error)}
               : Failure(error);
  }
  if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0) {
    return {IoError::NotRegular, 0};
  }
  const HANDLE file = ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Failure(::GetLastError());
  LARGE_INTEGER size{};
  if (::GetFileType(file) != FILE_TYPE_DISK) {
    ::CloseHandle(file);
    return {IoError::NotRegular, 0};
  }
  if (!::GetFileSizeEx(file, &size)) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    return Failure(error);
  }
  handle_ = static_cast<std::int64_t>(reinterpret_cast<intptr_t>(file));
  size_ = size.QuadPart;
  return {};
}

TransferResult TextFileReader::ReadAt(std::int64_t offset, char* data, std::size_t size) {
  TransferResult result;
  while (result.bytes < size) {
    DWORD read = 0;
    OVERLAPPED where = At(offset + static_cast<std::int64_t>(result.bytes));
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size - result.bytes, 1 << 30));
    if (!::ReadFile(AsHandle(handle_), data + result.bytes, wanted, &read, &where)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_HANDLE_EOF) break;
      result.error = IoError::Failed;
      result.code = static_cast<int>(error);
      break;
    }
    if (read == 0) break;
    result.bytes += read;
  }
  return result;
}

}  // namespace tarnwell::platform
