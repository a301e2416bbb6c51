// Appending lines and reading files whole on Windows: FILE_APPEND_DATA makes
// every WriteFile land at the end of the file as one piece.
#include "platform/TextFiles.h"

#include <windows.h>

#include "platform/FileSystem.h"
#include "platform/PathNames.h"
#include "platform/win32/Encoding.h"

namespace tarnwell::platform {

bool AppendLine(const std::string& path, std::string_view line) {
  const std::string folder = ParentPath(path);
  if (!folder.empty() && !IsRootPath(folder) &&
      !SystemFileSystem().MakePrivateDirectories(folder)) {
    return false;
  }
  const HANDLE file = ::CreateFileW(win32::Wide(path).c_str(), FILE_APPEND_DATA,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string text(line);
  text += "\r\n";
  DWORD written = 0;
  bool ok = ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size();
  if (ok) ok = ::FlushFileBuffers(file) != 0;
  ::CloseHandle(file);
  return ok;
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const HANDLE file =
      ::CreateFileW(win32::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string text;
  char chunk[65536];
  DWORD read = 0;
  bool ok = true;
  while ((ok = ::ReadFile(file, chunk, sizeof chunk, &read, nullptr) != 0) && read > 0) {
    text.append(chunk, read);
  }
  ::CloseHandle(file);
  if (!ok) return std::nullopt;
  return text;
}

}  // namespace tarnwell::platform
