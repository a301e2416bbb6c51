// Windows file system for the benchmark: test files opened with
// FILE_FLAG_NO_BUFFERING (plus FILE_FLAG_WRITE_THROUGH for writes) and no
// sharing, never through a reparse point (symbolic link or junction); the
// run folder held open without delete sharing and locked by a named mutex
// keyed to the folder's file ID, so a second run on it (in any process of
// this session) is refused. Volumes whose sectors exceed the 1 KB block
// refuse unbuffered 1 KB transfers; the fallback then writes through the
// cache with FILE_FLAG_WRITE_THROUGH and FlushFileBuffers.
#include "platform/FileSystem.h"

#include <windows.h>

#include <map>
#include <mutex>
#include <string>

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {
namespace {

HANDLE AsHandle(FileHandle file) { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(file)); }
FileHandle FromHandle(HANDLE handle) {
  return static_cast<FileHandle>(reinterpret_cast<intptr_t>(handle));
}

IoError ErrorFromCode(DWORD code) {
  switch (code) {
    case ERROR_INVALID_PARAMETER:
      return IoError::DirectUnsupported;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return IoError::NotFound;
    default:
      return IoError::Failed;
  }
}

// The failure of the call that just set the last error.
Status Failure() { return Status::Failure(static_cast<int>(::GetLastError())); }

// What a call answering nonzero for success did.
Status StatusOf(BOOL succeeded) { return succeeded ? Status{} : Failure(); }

// Anything but a plain file at `path`: a folder, a reparse point, a device.
bool InTheWay(const std::wstring& path) {
  const DWORD attributes = ::GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0;
}

std::wstring WithoutClosingSeparator(std::wstring path) {
  while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

class WindowsFileSystem final : public FileSystem {
public:
  FolderResult OpenRunFolder(const std::string& path) override {
    const std::wstring folder = WithoutClosingSeparator(win32::Wide(path));
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !(attributes & FILE_ATTRIBUTE_DIRECTORY))) {
      return {InvalidFolder, IoError::NotRegular, 0};
    }
    // Held open without FILE_SHARE_DELETE: the folder cannot be renamed or
    // replaced by a link while the run uses it.
    const HANDLE directory = ::CreateFileW(
        folder.c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (directory == INVALID_HANDLE_VALUE) {
      const DWORD code = ::GetLastError();
      return {InvalidFolder, ErrorFromCode(code), static_cast<int>(code)};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    ::GetFileInformationByHandle(directory, &info);
    const std::wstring name = L"Local\\Tarnwell-" + std::to_wstring(info.dwVolumeSerialNumber) +
                              L"-" + std::to_wstring(info.nFileIndexHigh) + L"-" +
                              std::to_wstring(info.nFileIndexLow);
    // CreateMutexW reports an existing mutex only through the last error.
    ::SetLastError(ERROR_SUCCESS);
    const HANDLE lock = ::CreateMutexW(nullptr, TRUE, name.c_str());
    if (lock == nullptr || ::GetLastError() == ERROR_ALREADY_EXISTS) {
      const DWORD code = ::GetLastError();
      if (lock != nullptr) ::CloseHandle(lock);
      ::CloseHandle(directory);
      return {InvalidFolder, lock != nullptr ? IoError::Busy : IoError::Failed,
              static_cast<int>(code)};
    }
    std::lock_guard<std::mutex> guard(mutex_);
    const FolderHandle handle = nextFolder_++;
    folders_[handle] = Folder{folder + L"\\", directory, lock};
    return {handle, IoError::None, 0};
  }

  void CloseFolder(FolderHandle folder) override {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto found = folders_.find(folder);
    if (found == folders_.end()) return;
    ::ReleaseMutex(found->second.lock);
    ::CloseHandle(found->second.lock);
    if (found->second.directory != INVALID_HANDLE_VALUE) ::CloseHandle(found->second.directory);
    folders_.erase(found);
  }

  bool IsInMemory(FolderHandle) override { return false; }

  SpaceReport Space(FolderHandle folder) override {
    SpaceReport report;
    ULARGE_INTEGER available{};
    if (!::GetDiskFreeSpaceExW(PathIn(folder, "").c_str(), &available, nullptr, nullptr)) {
      static_cast<Status&>(report) = Status::Failure(static_cast<int>(::GetLastError()));
      return report;
    }
    // NTFS and FAT set no separate limit on the number of files.
    report.FreeBytes = static_cast<std::int64_t>(available.QuadPart);
    return report;
  }

  OpenResult CreateForWrite(FolderHandle folder, const char* name, IoMode mode) override {
    const std::wstring path = PathIn(folder, name);
    if (InTheWay(path)) return {InvalidHandle, IoError::NotRegular, 0};
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH |
                        FILE_FLAG_OPEN_REPARSE_POINT |
                        (mode == IoMode::Direct ? FILE_FLAG_NO_BUFFERING : 0);
    // Not CREATE_ALWAYS: a hard-linked file must keep its contents, so the
    // file is emptied only once Open has seen it has no other name.
    const OpenResult file = Open(path, GENERIC_WRITE, OPEN_ALWAYS, flags);
    if (file.error == IoError::None && !::SetEndOfFile(AsHandle(file.handle))) {
      const DWORD code = ::GetLastError();
      ::CloseHandle(AsHandle(file.handle));
      return {InvalidHandle, ErrorFromCode(code), static_cast<int>(code)};
    }
    return file;
  }

  OpenResult OpenForRead(FolderHandle folder, const char* name, IoMode mode) override {
    const std::wstring path = PathIn(folder, name);
    if (InTheWay(path)) return {InvalidHandle, IoError::NotRegular, 0};
    const DWORD flags = FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT |
                        (mode == IoMode::Direct ? FILE_FLAG_NO_BUFFERING : 0);
    return Open(path, GENERIC_READ, OPEN_EXISTING, flags);
  }

  Status RemoveFile(FolderHandle folder, const char* name) override {
    const std::wstring path = PathIn(folder, name);
    if (InTheWay(path)) return {IoError::NotRegular, 0};
    // A file with other names is not ours to delete.
    const HANDLE file = ::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return Failure();
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(file, &info) != 0;
    const Status asked = known ? Status{} : Failure();
    ::CloseHandle(file);
    if (!asked.Ok()) return asked;
    if (info.nNumberOfLinks > 1) return {IoError::HardLinked, 0};
    return StatusOf(::DeleteFileW(path.c_str()));
  }

  std::int64_t TestFileBytes(FolderHandle folder, const char* name) override {
    const std::wstring path = PathIn(folder, name);
    if (InTheWay(path)) return -1;
    const HANDLE file = ::CreateFileW(
        path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = ::GetFileInformationByHandle(file, &info) != 0;
    ::CloseHandle(file);
    if (!known || info.nNumberOfLinks > 1) return -1;
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) |
                                     info.nFileSizeLow);
  }

  OpenResult CreateText(const char* path) override {
    const std::wstring target = win32::Wide(path);
    for (int attempt = 0; attempt < 100; ++attempt) {
      const std::wstring temporary = target + L".tmp-" + std::to_wstring(::GetCurrentProcessId()) +
                                     L"-" + std::to_wstring(attempt);
      const HANDLE file = ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        std::lock_guard<std::mutex> guard(mutex_);
        pending_[FromHandle(file)] = {temporary, target};
        return {FromHandle(file), IoError::None, 0};
      }
      if (::GetLastError() != ERROR_FILE_EXISTS) break;
    }
    const DWORD code = ::GetLastError();
    return {InvalidHandle, ErrorFromCode(code), static_cast<int>(code)};
  }

  Status CommitText(FileHandle file) override {
    const Pending pending = TakePending(file);
    Status status = StatusOf(::FlushFileBuffers(AsHandle(file)));
    const Status closed = StatusOf(::CloseHandle(AsHandle(file)));
    if (status.Ok()) status = closed;
    if (status.Ok()) {
      status = StatusOf(::MoveFileExW(pending.temporary.c_str(), pending.target.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    }
    if (!status.Ok()) ::DeleteFileW(pending.temporary.c_str());
    return status;
  }

  TransferResult Write(FileHandle file, const void* data, std::size_t size) override {
    DWORD done = 0;
    if (!::WriteFile(AsHandle(file), data, static_cast<DWORD>(size), &done, nullptr)) {
      const DWORD code = ::GetLastError();
      return {done, ErrorFromCode(code), static_cast<int>(code)};
    }
    const bool whole = done == size;
    return {done, whole ? IoError::None : IoError::Failed, whole ? 0 : ERROR_DISK_FULL};
  }

  TransferResult Read(FileHandle file, void* data, std::size_t size) override {
    DWORD done = 0;
    if (!::ReadFile(AsHandle(file), data, static_cast<DWORD>(size), &done, nullptr)) {
      const DWORD code = ::GetLastError();
      return {done, ErrorFromCode(code), static_cast<int>(code)};
    }
    return {done, IoError::None, 0};
  }

  Status Flush(FileHandle file) override { return StatusOf(::FlushFileBuffers(AsHandle(file))); }

  // Windows has no call to forget one file's cached pages; the fallback
  // writes through the cache and the notice says the measurement changed.
  void DropCache(FileHandle) override {}

  Status Close(FileHandle file) override {
    const Pending pending = TakePending(file);
    const Status closed = StatusOf(::CloseHandle(AsHandle(file)));
    if (!pending.temporary.empty()) ::DeleteFileW(pending.temporary.c_str());
    return closed;
  }

  bool IsDirectory(const std::string& path) override {
    const DWORD attributes = ::GetFileAttributesW(win32::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  Status MakeDirectory(const std::string& path) override {
    return StatusOf(::CreateDirectoryW(win32::Wide(path).c_str(), nullptr));
  }

  Status MakePrivateDirectories(const std::string& path) override {
    // Folders under the user's profile are the user's own already.
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t cut = path.find_first_of("\\/", start);
      if (cut == std::string::npos) cut = path.size();
      const std::string partial = path.substr(0, cut);
      start = cut + 1;
      if (partial.empty() || partial.back() == ':' || partial == "\\" || partial == "\\\\")
        continue;
      if (IsDirectory(partial)) continue;
      if (const Status made = MakeDirectory(partial); !made.Ok()) return made;
    }
    const DWORD attributes = ::GetFileAttributesW(win32::Wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return Failure();
    // Something else is already there: a file, or a reparse point.
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
                        (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    return folder ? Status{} : Status{IoError::NotRegular, ERROR_ALREADY_EXISTS};
  }

  Status RemoveFolder(const std::string& path) override {
    const std::wstring folder = WithoutClosingSeparator(win32::Wide(path));
    const DWORD attributes = ::GetFileAttributesW(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      return {IoError::NotRegular, 0};
    }
    {
      // A run removes its own folder at its end: our handle on it, opened
      // without delete sharing, must go first (the lock stays till the end).
      std::lock_guard<std::mutex> guard(mutex_);
      for (auto& [handle, open] : folders_) {
        if (open.path == folder + L"\\" && open.directory != INVALID_HANDLE_VALUE) {
          ::CloseHandle(open.directory);
          open.directory = INVALID_HANDLE_VALUE;
        }
      }
    }
    return StatusOf(::RemoveDirectoryW(folder.c_str()));
  }

private:
  struct Folder {
    std::wstring path;  // with a closing '\'
    HANDLE directory;
    HANDLE lock;
  };
  struct Pending {
    std::wstring temporary;
    std::wstring target;
  };

  std::wstring PathIn(FolderHandle folder, const char* name) {
    std::lock_guard<std::mutex> guard(mutex_);
    return folders_.at(folder).path + win32::Wide(name);
  }

  static OpenResult Open(const std::wstring& path, DWORD access, DWORD disposition, DWORD flags) {
    const HANDLE file =
        ::CreateFileW(path.c_str(), access, 0, nullptr, disposition, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD code = ::GetLastError();
      return {InvalidHandle, ErrorFromCode(code), static_cast<int>(code)};
    }
    // A link put in place between the check and the open was opened as
    // itself (FILE_FLAG_OPEN_REPARSE_POINT), never followed: refuse it here.
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))) {
      ::CloseHandle(file);
      return {InvalidHandle, IoError::NotRegular, 0};
    }
    // Another name of the same file (a hard link) is the user's file.
    if (info.nNumberOfLinks > 1) {
      ::CloseHandle(file);
      return {InvalidHandle, IoError::HardLinked, 0};
    }
    return {FromHandle(file), IoError::None, 0};
  }

  Pending TakePending(FileHandle file) {
    std::lock_guard<std::mutex> guard(mutex_);
    const auto found = pending_.find(file);
    if (found == pending_.end()) return {};
    Pending pending = std::move(found->second);
    pending_.erase(found);
    return pending;
  }

  std::mutex mutex_;
  std::map<FolderHandle, Folder> folders_;
  FolderHandle nextFolder_ = 1;
  std::map<FileHandle, Pending> pending_;
};

}  // namespace

std::string FallbackNotice(bool refusedAtOpen) {
  // Windows cannot drop one file's cached pages: say what that means.
  return std::string(refusedAtOpen ? "このボリュームはキャッシュを通さない読み書き "
                                     "(FILE_FLAG_NO_BUFFERING) に対応していません。"
                                   : "このボリュームのセクタ長が 1KB を超えるため、1KB "
                                     "単位でキャッシュを通さない読み書きができません。") +
         "書き込みはライトスルーとフラッシュに切り替えて測定します。"
         "読み込みはキャッシュから行われることがあります。";
}

bool IsExistsError(int code) { return code == ERROR_ALREADY_EXISTS || code == ERROR_FILE_EXISTS; }

bool IsNoSpaceError(int code) { return code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL; }

std::string ErrorText(int code) {
  if (code == 0) return {};
  wchar_t* buffer = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text(buffer != nullptr ? buffer : L"", length);
  if (buffer != nullptr) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  return text.empty() ? "error " + std::to_string(code) : win32::Utf8(text);
}

FileSystem& SystemFileSystem() {
  static WindowsFileSystem instance;
  return instance;
}

}  // namespace tarnwell::platform

namespace tarnwell::platform {
namespace {

// The file or folder at `path` opened for its attributes only, sharing
// everything, so that asking disturbs nobody.
HANDLE OpenForIdentity(const std::wstring& path, bool followLink) {
  return ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | (followLink ? 0 : FILE_FLAG_OPEN_REPARSE_POINT),
                       nullptr);
}

bool ReadIdentity(HANDLE handle, FileIdentity& identity, DWORD& attributes) {
  BY_HANDLE_FILE_INFORMATION information{};
  const bool known = ::GetFileInformationByHandle(handle, &information) != 0;
  if (known) {
    attributes = information.dwFileAttributes;
    identity.volume = information.dwVolumeSerialNumber;
    identity.index =
        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  } else {
    identity.error = IoError::Failed;
    identity.code = static_cast<int>(::GetLastError());
  }
  return known;
}

}  // namespace

FileIdentity IdentifyStandardOutput() {
  FileIdentity identity;
  const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == INVALID_HANDLE_VALUE || output == nullptr) {
    identity.error = IoError::Failed;
    identity.code = static_cast<int>(ERROR_INVALID_HANDLE);
    return identity;
  }
  identity.kind = FileIdentity::Kind::Other;
  DWORD attributes = 0;
  if (::GetFileType(output) == FILE_TYPE_DISK && ReadIdentity(output, identity, attributes)) {
    identity.kind = FileIdentity::Kind::File;
  }
  identity.error = IoError::None;  // a console or pipe is there all the same
  identity.code = 0;
  return identity;
}

FileIdentity IdentifyFile(const std::string& path, bool followLink) {
  FileIdentity identity;
  const auto fail = [&](IoError error, DWORD code) {
    identity.error = error;
    identity.code = static_cast<int>(code);
    return identity;
  };
  if (path.empty()) return fail(IoError::NotFound, ERROR_FILE_NOT_FOUND);
  if (path.back() == '/' || path.back() == '\\') return fail(IoError::Failed, ERROR_DIRECTORY);
  // Relative and drive-relative paths ("C:name") are made whole first, so
  // that the folder part below is a folder.
  const std::wstring given = win32::Wide(path);
  const DWORD length = ::GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  if (length == 0) return fail(IoError::Failed, ::GetLastError());
  std::wstring full(length, L'\0');
  const DWORD written = ::GetFullPathNameW(given.c_str(), length, full.data(), nullptr);
  if (written == 0 || written >= length) return fail(IoError::Failed, ::GetLastError());
  full.resize(written);

  HANDLE handle = OpenForIdentity(full, followLink);
  DWORD error = handle == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
  // A link that leads nowhere is still a link at the path.
  if (handle == INVALID_HANDLE_VALUE && followLink && error == ERROR_FILE_NOT_FOUND) {
    handle = OpenForIdentity(full, false);
    if (handle == INVALID_HANDLE_VALUE) error = ::GetLastError();
  }
  if (handle != INVALID_HANDLE_VALUE) {
    DWORD attributes = 0;
    const bool known = ReadIdentity(handle, identity, attributes);
    const DWORD type = ::GetFileType(handle);
    ::CloseHandle(handle);
    if (!known) return identity;
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && (!followLink || error != 0)) {
      identity.kind = FileIdentity::Kind::Link;
    } else if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
      identity.kind = FileIdentity::Kind::Folder;
    } else if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0 || type != FILE_TYPE_DISK) {
      identity.kind = FileIdentity::Kind::Other;
    } else {
      identity.kind = FileIdentity::Kind::File;
      identity.writeProtected = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    }
    return identity;
  }
  if (error != ERROR_FILE_NOT_FOUND) {
    return fail(error == ERROR_PATH_NOT_FOUND ? IoError::NotFound : IoError::Failed, error);
  }
  const std::size_t separator = full.find_last_of(L"\\/");
  if (separator == std::wstring::npos) return fail(IoError::NotFound, ERROR_PATH_NOT_FOUND);
  // "C:\name" lies in "C:\", whose separator is part of its name.
  const std::wstring folder = full.substr(0, separator == 2 && full[1] == L':' ? 3 : separator);
  std::wstring name = full.substr(separator + 1);
  handle = OpenForIdentity(folder, true);
  if (handle == INVALID_HANDLE_VALUE) {
    error = ::GetLastError();
    return fail(error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? IoError::NotFound
                                                                               : IoError::Failed,
                error);
  }
  DWORD attributes = 0;
  const bool known = ReadIdentity(handle, identity, attributes);
  ::CloseHandle(handle);
  if (!known) return identity;
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    return fail(IoError::NotFound, ERROR_PATH_NOT_FOUND);
  }
  // NTFS and FAT compare names without letter case.
  if (!name.empty()) ::CharUpperBuffW(name.data(), static_cast<DWORD>(name.size()));
  identity.name = win32::Utf8(name);
  return identity;
}

}  // namespace tarnwell::platform
