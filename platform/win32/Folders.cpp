// Folder services on Windows: listing with FindFirstFileExW, renames that
// never replace, the Recycle Bin through the shell, the desktop folder and
// the drive letters.
#include "platform/Folders.h"

#include <windows.h>
// The shell's headers build on windows.h.
#include <shellapi.h>
#include <shlobj.h>

#include <cwctype>
#include <functional>
#include <vector>

#include "platform/PathNames.h"
#include "platform/win32/Encoding.h"

namespace tarnwell::platform {
namespace {

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(win32::Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

Status ForEachSubFolder(const std::string& path,
                        const std::function<bool(const std::string&)>& found) {
  if (path.empty()) return Status::Failure(ERROR_PATH_NOT_FOUND);
  WIN32_FIND_DATAW entry{};
  const HANDLE search =
      ::FindFirstFileExW(win32::Wide(JoinPath(path, "*")).c_str(), FindExInfoBasic, &entry,
                         FindExSearchLimitToDirectories, nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) {
    // An empty drive root lists nothing at all, not even "." and "..".
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return {};
    return Status::Failure(static_cast<int>(error));
  }
  do {
    const std::wstring_view name = entry.cFileName;
    if (name == L"." || name == L"..") continue;
    // Hidden covers the protected system folders ($Recycle.Bin, System
    // Volume Information, the old profile junctions) too; a folder marked
    // system alone is a customised one, which Explorer shows.
    if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        (entry.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN)) {
      continue;
    }
    if (!found(win32::Utf8(name))) break;
  } while (::FindNextFileW(search, &entry));
  ::FindClose(search);
  return {};
}

bool IsValidFolderName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  // Windows drops a closing dot or blank silently, so the folder would not
  // get the name that was asked for.
  if (name.back() == '.' || name.back() == ' ') return false;
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 0x20) return false;
  }
  return name.find_first_of("\\/:*?\"<>|") == std::string::npos;
}

Status RenameFolder(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return Status::Failure(ERROR_PATH_NOT_FOUND);
  // No MOVEFILE_REPLACE_EXISTING: an existing `to` makes it fail; and no
  // MOVEFILE_COPY_ALLOWED, so nothing is copied to another drive.
  if (::MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(), 0) == 0) {
    return Status::Failure(static_cast<int>(::GetLastError()));
  }
  return {};
}

Result<std::string> MakeUniqueFolder(const std::string& parent, const std::string& baseName) {
  if (!IsValidFolderName(baseName)) return Status::Failure(ERROR_INVALID_NAME);
  for (int number = 1; number < 1000; ++number) {
    std::string name = number == 1 ? baseName : baseName + " (" + std::to_string(number) + ")";
    if (::CreateDirectoryW(win32::Wide(JoinPath(parent, name)).c_str(), nullptr)) return name;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ALREADY_EXISTS) return Status::Failure(static_cast<int>(error));
  }
  return Status::Failure(ERROR_ALREADY_EXISTS);
}

Status MoveToTrash(const std::string& path) {
  // The shell deletes a relative path for good instead of recycling it.
  if (!IsAbsolutePath(path) || IsRootPath(path)) return Status::Failure(ERROR_INVALID_NAME);
  std::wstring from = win32::Wide(WithoutClosingSeparators(path));
  for (wchar_t& c : from) {
    if (c == L'/') c = L'\\';
  }
  if (::GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return Status::Failure(static_cast<int>(::GetLastError()));
  }
  from.append(2, L'\0');  // a list of names, closed by an empty one

  SHFILEOPSTRUCTW operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  // Where the Recycle Bin cannot take it (a network share, a file too big),
  // the shell would delete it for good without a word; the warning lets the
  // user refuse that, as Explorer does.
  operation.fFlags =
      FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI | FOF_WANTNUKEWARNING;
  // SHFileOperationW answers with its own codes, not GetLastError()'s; a
  // refusal by the user has none.
  const int answer = ::SHFileOperationW(&operation);
  if (answer != 0) return Status::Failure(answer);
  if (operation.fAnyOperationsAborted) return Status::Failure(0);
  return {};
}

namespace {

// The shell's display name of a special namespace item; empty when it has
// none.
std::string SpecialItemName(int csidl) {
  PIDLIST_ABSOLUTE item = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &item))) return {};
  SHFILEINFOW info{};
  const bool named = ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(item), 0, &info, sizeof info,
                                      SHGFI_PIDL | SHGFI_DISPLAYNAME) != 0;
  ::CoTaskMemFree(item);
  return named ? win32::Utf8(info.szDisplayName) : std::string();
}

}  // namespace

PlaceNames ShellPlaceNames() {
  return PlaceNames{.Desktop = SpecialItemName(CSIDL_DESKTOP),
                    .Home = SpecialItemName(CSIDL_PROFILE),
                    .Computer = SpecialItemName(CSIDL_DRIVES)};
}

std::string DesktopDirectory() {
  wchar_t buffer[MAX_PATH] = {};
  if (::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, buffer) !=
      S_OK) {
    return {};
  }
  const std::string desktop = win32::Utf8(buffer);
  return IsFolder(desktop) ? WithoutClosingSeparators(desktop) : std::string();
}

std::vector<std::string> MountPoints() {
  std::vector<std::string> points;
  wchar_t windows[MAX_PATH] = {};
  const UINT length = ::GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (length >= 3 && length < MAX_PATH && windows[1] == L':') {
    windows[0] = static_cast<wchar_t>(::towupper(windows[0]));
    points.push_back(win32::Utf8(std::wstring_view(windows, 2)) + "\\");
  }
  std::vector<wchar_t> drives(::GetLogicalDriveStringsW(0, nullptr) + 1);
  const DWORD used = ::GetLogicalDriveStringsW(static_cast<DWORD>(drives.size()), drives.data());
  if (used == 0 || used >= drives.size()) return points;
  // "A:\", "C:\", ... each closed by a NUL.
  for (const wchar_t* drive = drives.data(); *drive != L'\0'; drive += wcslen(drive) + 1) {
    const std::string point = win32::Utf8(drive);
    bool known = false;
    for (const std::string& seen : points) known = known || seen == point;
    if (!known) points.push_back(point);
  }
  return points;
}

}  // namespace tarnwell::platform
