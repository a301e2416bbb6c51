// An in-memory file system for driving the run in tests, with faults that can
// be planted at a chosen call.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tarnwell::testing {

class FakeFileSystem : public platform::FileSystem {
public:
  enum class Call {
    CreateForWrite,
    OpenForRead,
    CreateText,
    Write,
    Read,
    Flush,
    Close,
    MakeDirectory,
    OpenRunFolder
  };

  std::map<std::string, std::vector<char>> Files;
  std::set<std::string> Directories{"/"};
  std::set<std::string> Links;          // paths that are symbolic links
  std::set<std::string> LockedFolders;  // run folders another run holds
  std::set<std::string> InMemory;       // folders on tmpfs
  std::vector<std::string> Removed;
  std::vector<std::string> Opened;  // every test file opened, in order
  std::string TextFileName;         // last file made by CreateText

  // Fail the n-th call (1-based) of `call`; 0 never.
  std::map<Call, int> FailAt;
  int FailCode = 0;  // the native code a planted write failure carries
  // Refuse direct I/O at open (EINVAL at open) or at the first transfer.
  bool RefuseDirectAtOpen = false;
  bool RefuseDirectTransfers = false;
  // Reads and writes move at most this many bytes per call (a short transfer).
  std::size_t TransferLimit = SIZE_MAX;
  std::vector<platform::IoMode> Modes;  // mode of every test-file open
  // Called at the start of every call, e.g. to request a stop mid-phase.
  std::function<void(Call, int)> Hook;
  // A drive that stores only this many bytes (0: all it is given). Test files
  // get addresses one after another in the order written, and every address
  // from here on lands on the address modulo this size, overwriting what was
  // there, as a drive that claims more than it holds does.
  std::size_t StoreBytes = 0;

  platform::FolderResult OpenRunFolder(const std::string& path) override {
    if (Fails(Call::OpenRunFolder)) return {platform::InvalidFolder, platform::IoError::Failed, 0};
    if (LockedFolders.count(Trim(path)))
      return {platform::InvalidFolder, platform::IoError::Busy, 0};
    if (Links.count(Trim(path)) || !Directories.count(Trim(path))) {
      return {platform::InvalidFolder, platform::IoError::NotRegular, 0};
    }
    const platform::FolderHandle handle = nextHandle_++;
    folders_[handle] = Trim(path) + "/";
    LockedFolders.insert(Trim(path));
    return {handle, platform::IoError::None, 0};
  }
  void CloseFolder(platform::FolderHandle folder) override {
    const auto found = folders_.find(folder);
    if (found == folders_.end()) return;
    LockedFolders.erase(Trim(found->second));
    folders_.erase(found);
  }
  bool IsInMemory(platform::FolderHandle folder) override {
    return InMemory.count(Trim(folders_.at(folder))) > 0;
  }
  // What Space answers; nothing known unless a test says.
  std::function<platform::SpaceReport()> SpaceNow;
  platform::SpaceReport Space(platform::FolderHandle) override {
    return SpaceNow ? SpaceNow() : platform::SpaceReport{};
  }
  int OpenFolders() const { return static_cast<int>(folders_.size()); }

  platform::OpenResult CreateForWrite(platform::FolderHandle folder, const char* name,
                                      platform::IoMode mode) override {
    const std::string path = folders_.at(folder) + name;
    if (Links.count(path)) return {platform::InvalidHandle, platform::IoError::NotRegular, 0};
    if (Fails(Call::CreateForWrite) || !ParentExists(path)) return Failed();
    if (RefuseDirectAtOpen && mode == platform::IoMode::Direct) {
      return {platform::InvalidHandle, platform::IoError::DirectUnsupported};
    }
    Modes.push_back(mode);
    Files[path].clear();
    starts_[path] = nextAddress_;
    return OpenHandle(path, mode);
  }

  std::int64_t TestFileBytes(platform::FolderHandle folder, const char* name) override {
    const auto file = Files.find(folders_.at(folder) + name);
    return file == Files.end() ? -1 : static_cast<std::int64_t>(file->second.size());
  }

  platform::OpenResult OpenForRead(platform::FolderHandle folder, const char* name,
                                   platform::IoMode mode) override {
    const std::string path = folders_.at(folder) + name;
    Opened.push_back(path);
    if (Fails(Call::OpenForRead) || Links.count(path)) return Failed();
    if (!Files.count(path)) return {platform::InvalidHandle, platform::IoError::NotFound};
    if (RefuseDirectAtOpen && mode == platform::IoMode::Direct) {
      return {platform::InvalidHandle, platform::IoError::DirectUnsupported};
    }
    Modes.push_back(mode);
    return OpenHandle(path, mode);
  }

  // The text goes to a temporary name; CommitText moves it over `path`,
  // replacing a link there rather than following it.
  platform::OpenResult CreateText(const char* path) override {
    if (Fails(Call::CreateText) || !ParentExists(path)) return Failed();
    const std::string temporary = std::string(path) + ".tmp";
    Files[temporary].clear();
    pendingText_[nextHandle_] = path;
    return OpenHandle(temporary, platform::IoMode::SyncBuffered);
  }
  platform::Status CommitText(platform::FileHandle file) override {
    const std::string path = pendingText_.at(file);
    const std::string temporary = handles_.at(file).Path;
    pendingText_.erase(file);
    handles_.erase(file);
    Files[path] = Files[temporary];
    Files.erase(temporary);
    Links.erase(path);
    TextFileName = path;
    return {};
  }

  platform::TransferResult Write(platform::FileHandle file, const void* data,
                                 std::size_t size) override {
    if (Fails(Call::Write)) return {0, platform::IoError::Failed, FailCode};
    Handle& handle = handles_.at(file);
    if (RefuseDirectTransfers && handle.Mode == platform::IoMode::Direct) {
      return {0, platform::IoError::DirectUnsupported};
    }
    const std::size_t n = std::min(size, TransferLimit);
    const char* bytes = static_cast<const char*>(data);
    std::vector<char>& contents = Files[handle.Path];
    if (StoreBytes > 0 && starts_.count(handle.Path)) {
      Store.resize(StoreBytes);
      Place(starts_[handle.Path] + contents.size(), n,
            [&](std::size_t at, std::size_t done, std::size_t piece) {
              std::memcpy(Store.data() + at, bytes + done, piece);
            });
      nextAddress_ = std::max(nextAddress_, starts_[handle.Path] + contents.size() + n);
    }
    contents.insert(contents.end(), bytes, bytes + n);
    return {n, platform::IoError::None};
  }

  platform::TransferResult Read(platform::FileHandle file, void* data, std::size_t size) override {
    if (Fails(Call::Read)) return {0, platform::IoError::Failed};
    Handle& handle = handles_.at(file);
    if (RefuseDirectTransfers && handle.Mode == platform::IoMode::Direct) {
      return {0, platform::IoError::DirectUnsupported};
    }
    const std::vector<char>& contents = Files[handle.Path];
    std::size_t n = std::min({size, TransferLimit, contents.size() - handle.Offset});
    std::memcpy(data, contents.data() + handle.Offset, n);
    if (StoreBytes > 0 && starts_.count(handle.Path)) {
      Place(starts_[handle.Path] + handle.Offset, n,
            [&](std::size_t at, std::size_t done, std::size_t piece) {
              std::memcpy(static_cast<char*>(data) + done, Store.data() + at, piece);
            });
    }
    handle.Offset += n;
    return {n, platform::IoError::None};
  }

  platform::Status Flush(platform::FileHandle) override { return Outcome(Fails(Call::Flush)); }
  void DropCache(platform::FileHandle) override { ++CacheDrops; }
  platform::Status Close(platform::FileHandle file) override {
    if (pendingText_.erase(file)) Files.erase(handles_.at(file).Path);
    handles_.erase(file);
    return Outcome(Fails(Call::Close));
  }

  bool IsDirectory(const std::string& path) override { return Directories.count(Trim(path)) > 0; }
  platform::Status MakeDirectory(const std::string& path) override {
    if (Fails(Call::MakeDirectory) || Files.count(path) || !ParentExists(path)) {
      return Outcome(true);
    }
    return Outcome(!Directories.insert(Trim(path)).second);
  }
  platform::Status MakePrivateDirectories(const std::string& path) override {
    std::string partial;
    for (std::size_t i = 1; i <= path.size(); ++i) {
      if (i == path.size() || path[i] == '/') Directories.insert(path.substr(0, i));
    }
    return {};
  }
  platform::Status RemoveFile(platform::FolderHandle folder, const char* name) override {
    const std::string path = folders_.at(folder) + name;
    Removed.push_back(path);
    return Outcome(Files.erase(path) == 0);
  }
  platform::Status RemoveFolder(const std::string& path) override {
    const std::string folder = Trim(path);
    for (const auto& [name, contents] : Files) {
      if (name.rfind(folder + "/", 0) == 0) return Outcome(true);  // not empty
    }
    for (const std::string& inner : Directories) {
      if (inner.rfind(folder + "/", 0) == 0) return Outcome(true);
    }
    return Outcome(Directories.erase(folder) == 0);
  }

  int OpenHandles() const { return static_cast<int>(handles_.size()); }
  int Count(Call call) const {
    const auto found = counts_.find(call);
    return found == counts_.end() ? 0 : found->second;
  }
  int CacheDrops = 0;
  std::vector<char> Store;  // what a drive of StoreBytes holds

private:
  // Calls `copy(storeOffset, done, piece)` for the pieces of `n` bytes from
  // `address` on, each landing at its address modulo the store's size.
  template <class Copy>
  void Place(std::size_t address, std::size_t n, Copy copy) {
    for (std::size_t done = 0; done < n;) {
      const std::size_t at = (address + done) % StoreBytes;
      const std::size_t piece = std::min(n - done, StoreBytes - at);
      copy(at, done, piece);
      done += piece;
    }
  }

  struct Handle {
    std::string Path;
    platform::IoMode Mode;
    std::size_t Offset = 0;
  };

  static std::string Trim(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
  }
  bool ParentExists(const std::string& path) const {
    const std::size_t cut = Trim(path).find_last_of('/');
    return cut == std::string::npos || Directories.count(cut == 0 ? "/" : path.substr(0, cut)) > 0;
  }
  bool Fails(Call call) {
    const int n = ++counts_[call];
    if (Hook) Hook(call, n);
    const auto planted = FailAt.find(call);
    return planted != FailAt.end() && planted->second == n;
  }
  // A planted or modelled failure: no system reason behind it.
  static platform::Status Outcome(bool failed) {
    return failed ? platform::Status::Failure(0) : platform::Status{};
  }
  static platform::OpenResult Failed() {
    return {platform::InvalidHandle, platform::IoError::Failed};
  }
  platform::OpenResult OpenHandle(const std::string& path, platform::IoMode mode) {
    const platform::FileHandle handle = nextHandle_++;
    handles_[handle] = Handle{path, mode};
    return {handle, platform::IoError::None};
  }

  std::map<platform::FileHandle, Handle> handles_;
  std::map<platform::FolderHandle, std::string> folders_;  // with a closing '/'
  std::map<platform::FileHandle, std::string> pendingText_;
  std::map<Call, int> counts_;
  std::map<std::string, std::size_t> starts_;  // each test file's first address
  std::size_t nextAddress_ = 0;
  platform::FileHandle nextHandle_ = 3;
};

}  // namespace tarnwell::testing
