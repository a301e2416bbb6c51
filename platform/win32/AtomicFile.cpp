// Atomic file replacement on Windows: a new temporary file beside the target,
// flushed, then MoveFileExW with replace and write-through. A read-only file
// (the user's way of freezing it) is left alone.
#include "platform/AtomicFile.h"

#include <windows.h>

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {

bool ReplaceFileAtomically(const std::string& path, std::string_view contents) {
  if (path.empty() || path.back() == '\\' || path.back() == '/') return false;
  const std::wstring target = win32::Wide(path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) {
    return false;
  }
  std::wstring temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = target + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(attempt);
    file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok =
      ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr) &&
      written == contents.size();
  if (ok) ok = ::FlushFileBuffers(file) != 0;
  if (!::CloseHandle(file)) ok = false;
  if (ok) {
    ok = ::MoveFileExW(temporary.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }
  if (!ok) ::DeleteFileW(temporary.c_str());
  return ok;
}

}  // namespace tarnwell::platform
