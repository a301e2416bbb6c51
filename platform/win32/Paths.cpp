// Where things live on Windows: %USERPROFILE%, %LOCALAPPDATA%\Tarnwell for
// the random-order list, %APPDATA%\Tarnwell for settings and history, the
// executable from GetModuleFileNameW. Paths are UTF-8 with '\'.
#include "platform/Paths.h"

#include <windows.h>

#include <vector>

#include "platform/PathNames.h"
#include "platform/win32/Encoding.h"

namespace tarnwell::platform {

const char PathSeparator = '\\';
const PathStyle NativePathStyle = PathStyle::Windows;

namespace {

std::string Environment(const wchar_t* name) {
  std::vector<wchar_t> value(32768);
  const DWORD length =
      ::GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
  if (length == 0 || length >= value.size()) return {};
  return win32::Utf8(std::wstring_view(value.data(), length));
}

std::string WithoutClosingSeparator(std::string path) {
  while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
  return path;
}

std::string ProgramFolderUnder(const wchar_t* variable) {
  const std::string base = WithoutClosingSeparator(Environment(variable));
  return base.empty() ? std::string() : base + "\\Tarnwell";
}

}  // namespace

std::size_t MaxPathLength() { return MAX_PATH - 1; }

std::string HomeDirectory() { return WithoutClosingSeparator(Environment(L"USERPROFILE")); }

std::string DefaultWorkFolder() { return "C:\\"; }

std::string ProgramCacheDirectory() { return ProgramFolderUnder(L"LOCALAPPDATA"); }
std::string ProgramDataDirectory() { return ProgramFolderUnder(L"APPDATA"); }
std::string ProgramConfigDirectory() { return ProgramFolderUnder(L"APPDATA"); }

std::string NoUserFolderReason() {
  return "ユーザーのフォルダがわかりません（APPDATA または LOCALAPPDATA が設定されていません）";
}

std::string ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return win32::Utf8(std::wstring_view(buffer.data(), length));
    if (buffer.size() >= 32768) return {};
    buffer.resize(buffer.size() * 2);
  }
}

bool IsDirectoryWritable(const std::string& path) {
  if (path.empty()) return false;
  // Access rights on Windows are best learned by trying: a file created and
  // deleted at once (Program Files refuses it without elevation).
  const std::wstring probe = win32::Wide(JoinPath(path, "tarnwell-write-probe.tmp"));
  const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

bool IsReadableFile(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(win32::Wide(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  const HANDLE file =
      ::CreateFileW(win32::Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  ::CloseHandle(file);
  return true;
}

}  // namespace tarnwell::platform
