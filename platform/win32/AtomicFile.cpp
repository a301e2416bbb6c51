// Atomic file replacement on Windows: a new temporary file beside the target,
// flushed, then MoveFileExW with replace and write-through. A read-only file
// (the user's way of freezing it) is left alone. MoveFileExW replaces a
// symbolic link at the target itself, never what it points to; where links
// are refused, one there is refused before anything is written.
#include "platform/AtomicFile.h"

#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/win32/Encoding.h"

namespace tarnwell::platform {

namespace {

SaveResult Refuse(const char* text) {
  SaveResult result;
  result.error = IoError::NotRegular;
  result.refusal = text;
  return result;
}

SaveResult Failed(DWORD code) {
  SaveResult result;
  result.error = IoError::Failed;
  result.code = static_cast<int>(code);
  return result;
}

}  // namespace

SaveResult ReplaceFileAtomically(const std::string& path, std::string_view contents,
                                 LinkAtPath links) {
  if (path.empty() || path.back() == '\\' || path.back() == '/') {
    return Failed(ERROR_INVALID_NAME);
  }
  const std::wstring target = win32::Wide(path);
  const DWORD attributes = ::GetFileAttributesW(target.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Failed(ERROR_DIRECTORY);
    if (attributes & FILE_ATTRIBUTE_DEVICE) return Refuse(SaveRefusal::NotRegular);
    if (links == LinkAtPath::Refuse && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return Refuse(SaveRefusal::Link);
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) return Refuse(SaveRefusal::WriteProtected);
  }
  std::wstring temporary;
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
    temporary = target + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(attempt);
    file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) {
      return Failed(::GetLastError());
    }
  }
  if (file == INVALID_HANDLE_VALUE) return Failed(ERROR_FILE_EXISTS);
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
  if (!ok) {
    const DWORD code = ::GetLastError();
    ::DeleteFileW(temporary.c_str());
    return Failed(code);
  }
  return {};
}

}  // namespace tarnwell::platform
