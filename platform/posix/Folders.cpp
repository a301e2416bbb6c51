// Folder services on Linux: directory listing with readdir, renames that
// never replace, the freedesktop trash, xdg-user-dirs and mountinfo.
#include "platform/Folders.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <sstream>

#include "platform/Paths.h"
#include "platform/posix/LinuxFolders.h"
#include "platform/posix/WriteAll.h"

namespace tarnwell::platform {
namespace {

struct DirCloser {
  void operator()(DIR* dir) const { ::closedir(dir); }
};
using DirHandle = std::unique_ptr<DIR, DirCloser>;

// Whether the entry names a folder, following a link as file managers do.
// A link that loops or dangles fails stat and is no folder.
bool IsFolderEntry(DIR* dir, const dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return false;
  struct stat info {};
  return ::fstatat(::dirfd(dir), entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

std::string JoinPath(const std::string& parent, const std::string& name) {
  return parent.empty() || parent.back() == '/' ? parent + name : parent + "/" + name;
}

std::string FileName(const std::string& path) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
  const auto slash = trimmed.rfind('/');
  return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

// rename(2) that fails with EEXIST instead of replacing `to`.
int RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
  if (errno != EINVAL && errno != ENOSYS) return -1;
  // A file system without the flag. A check first leaves a short race in
  // which another program could create `to`; plain rename would then only
  // replace an empty folder, never one with contents or a file by a folder.
  struct stat info {};
  if (::lstat(to.c_str(), &info) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::rename(from.c_str(), to.c_str());
}

Status MakeFolders(const std::string& path) {
  if (::mkdir(path.c_str(), 0700) == 0) return {};
  if (errno == ENOENT) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos || slash == 0) return Status::Failure(ENOENT);
    if (const Status parent = MakeFolders(path.substr(0, slash)); !parent.Ok()) return parent;
    if (::mkdir(path.c_str(), 0700) == 0) return {};
  }
  const int error = errno;
  if (error != EEXIST) return Status::Failure(error);
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return Status::Failure(errno);
  return S_ISDIR(info.st_mode) ? Status{} : Status::Failure(ENOTDIR);
}

// The absolute path as the trash's info file records it: every byte but the
// unreserved characters of a URI and "/" as %XX.
std::string EscapeTrashPath(const std::string& path) {
  static constexpr char Hex[] = "0123456789ABCDEF";
  std::string escaped;
  for (const char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' || c == '/') {
      escaped += c;
    } else {
      escaped += '%';
      escaped += Hex[byte >> 4];
      escaped += Hex[byte & 0x0F];
    }
  }
  return escaped;
}

std::string TrashDirectory() {
  const std::string data = UserBaseDirectory(UserFolder::Data);
  if (data.empty()) return {};
  return (data == "/" ? std::string() : data) + "/Trash";
}

std::string LocalTimeStamp() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  std::array<char, 32> text{};
  std::strftime(text.data(), text.size(), "%Y-%m-%dT%H:%M:%S", &local);
  return text.data();
}

// "\040" and the like, as the kernel escapes blanks and backslashes.
std::string DecodeMountField(const std::string& field) {
  std::string decoded;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
        field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' && field[i + 3] <= '7') {
      decoded += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                   (field[i + 3] - '0'));
      i += 3;
    } else {
      decoded += field[i];
    }
  }
  return decoded;
}

bool IsOneOf(const std::string& value, std::initializer_list<const char*> names) {
  for (const char* name : names) {
    if (value == name) return true;
  }
  return false;
}

bool IsRealFileSystem(const std::string& type, const std::string& source) {
  if (IsOneOf(type, {"ext2",    "ext3",  "ext4",    "xfs", "btrfs", "vfat", "exfat",
                     "ntfs",    "ntfs3", "fuseblk", "zfs", "f2fs",  "jfs",  "reiserfs",
                     "hfsplus", "udf",   "iso9660", "nfs", "nfs4",  "cifs", "smb3"})) {
    return true;
  }
  // Packaged images and layered views are backed by devices or folders too,
  // but hold nothing a benchmark should write to.
  if (IsOneOf(type, {"squashfs", "overlay", "tmpfs", "devtmpfs", "ramfs", "erofs"})) return false;
  return source.rfind("/dev/", 0) == 0;
}

}  // namespace

Status ForEachSubFolder(const std::string& path,
                        const std::function<bool(const std::string&)>& found) {
  DirHandle dir(::opendir(path.c_str()));
  if (!dir) return Status::Failure(errno);
  while (const dirent* entry = ::readdir(dir.get())) {
    if (entry->d_name[0] == '.') continue;  // hidden, "." and ".."
    if (IsFolderEntry(dir.get(), entry) && !found(std::string(entry->d_name))) break;
  }
  return {};
}

bool IsValidFolderName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

Status RenameFolder(const std::string& from, const std::string& to) {
  if (from.empty() || to.empty()) return Status::Failure(ENOENT);
  if (RenameNoReplace(from, to) != 0) return Status::Failure(errno);
  return {};
}

Result<std::string> MakeUniqueFolder(const std::string& parent, const std::string& baseName) {
  if (!IsValidFolderName(baseName)) return Status::Failure(EINVAL);
  for (int number = 1; number < 1000; ++number) {
    std::string name = number == 1 ? baseName : baseName + " (" + std::to_string(number) + ")";
    if (::mkdir(JoinPath(parent, name).c_str(), 0777) == 0) return name;
    if (errno != EEXIST) return Status::Failure(errno);
  }
  return Status::Failure(EEXIST);
}

namespace {

// Writes the trash's info file `infoPath`, which reserves the entry's name.
// EEXIST when another entry has the name already.
Status WriteTrashInfo(const std::string& infoPath, const std::string& info) {
  const int fd = ::open(infoPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return Status::Failure(errno);
  Status status = WriteAll(fd, info);
  if (::close(fd) != 0 && status.Ok()) status = Status::Failure(errno);
  if (!status.Ok()) ::unlink(infoPath.c_str());
  return status;
}

// The trash's files folder, made when missing, when it is on the device
// `device`. Another device would mean copying and deleting: a
// half-finished copy must never cost the user the original, so that is
// refused (EXDEV).
Result<std::string> TrashOnDevice(dev_t device) {
  const std::string trash = TrashDirectory();
  if (trash.empty()) return Status::Failure(ENOENT);
  std::string files = trash + "/files";
  if (const Status made = MakeFolders(files); !made.Ok()) return made;
  if (const Status made = MakeFolders(trash + "/info"); !made.Ok()) return made;
  struct stat info {};
  if (::stat(files.c_str(), &info) != 0) return Status::Failure(errno);
  if (info.st_dev != device) return Status::Failure(EXDEV);
  return trash;
}

}  // namespace

Status MoveToTrash(const std::string& path) {
  if (path.empty() || path.front() != '/' || path == "/") return Status::Failure(EINVAL);
  struct stat item {};
  if (::lstat(path.c_str(), &item) != 0) return Status::Failure(errno);
  const Result<std::string> trash = TrashOnDevice(item.st_dev);
  if (!trash.Ok()) return trash.Error();

  const std::string name = FileName(path);
  std::string info = "[Trash Info]\nPath=";
  info += EscapeTrashPath(path);
  info += "\nDeletionDate=";
  info += LocalTimeStamp();
  info += "\n";
  for (int number = 1; number < 10000; ++number) {
    std::string entry = name;
    if (number > 1) entry += "." + std::to_string(number);
    const std::string infoPath = *trash + "/info/" + entry + ".trashinfo";
    // The info file reserves the name; it is written before anything moves.
    const Status reserved = WriteTrashInfo(infoPath, info);
    if (reserved.code == EEXIST) continue;
    if (!reserved.Ok()) return reserved;
    if (RenameNoReplace(path, *trash + "/files/" + entry) == 0) return {};
    const int error = errno;
    ::unlink(infoPath.c_str());
    if (error != EEXIST && error != ENOTEMPTY) return Status::Failure(error);
  }
  return Status::Failure(EEXIST);
}

namespace {

// The value of a shell assignment starting at `i` of `line`: a quoted value
// with backslash escapes, or a bare word.
std::string AssignedValue(const std::string& line, std::size_t i) {
  std::string value;
  if (i < line.size() && line[i] == '"') {
    for (++i; i < line.size() && line[i] != '"'; ++i) {
      if (line[i] == '\\' && i + 1 < line.size()) ++i;
      value += line[i];
    }
    return value;
  }
  const auto end = line.find_first_of(" \t\r", i);
  return line.substr(i, end == std::string::npos ? std::string::npos : end - i);
}

// The folder an assigned value names: "$HOME" and "$HOME/..." count from
// `home`; anything else that is not absolute names none (empty).
std::string FolderOfValue(const std::string& value, const std::string& home) {
  if (value == "$HOME") return home;
  if (value.rfind("$HOME/", 0) == 0) return (home == "/" ? std::string() : home) + value.substr(5);
  if (!value.empty() && value.front() == '/') return value;
  return {};
}

}  // namespace

std::string ParseDesktopDirectory(const std::string& userDirs, const std::string& home) {
  static const std::string Key = "XDG_DESKTOP_DIR=";
  std::string result;
  std::istringstream lines(userDirs);
  std::string line;
  while (std::getline(lines, line)) {
    const auto start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, Key.size(), Key) != 0) continue;
    // The last assignment wins, as when the shell reads the file.
    result = FolderOfValue(AssignedValue(line, start + Key.size()), home);
  }
  while (result.size() > 1 && result.back() == '/') result.pop_back();
  return result;
}

PlaceNames ShellPlaceNames() { return {}; }

std::string DesktopDirectory() {
  const std::string home = HomeDirectory();
  std::string config;
  if (const char* value = std::getenv("XDG_CONFIG_HOME"); value != nullptr && value[0] == '/') {
    config = value;
  } else if (!home.empty()) {
    config = (home == "/" ? std::string() : home) + "/.config";
  }
  std::string desktop;
  if (!config.empty()) {
    std::ifstream file(config + "/user-dirs.dirs", std::ios::binary);
    desktop = ParseDesktopDirectory(
        std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()), home);
  }
  if (desktop.empty() && !home.empty()) desktop = JoinPath(home, "Desktop");
  struct stat info {};
  if (desktop.empty() || ::stat(desktop.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return {};
  return desktop;
}

std::vector<std::string> ParseMountPoints(const std::string& mountInfo) {
  std::vector<std::string> points{"/"};
  std::istringstream lines(mountInfo);
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::vector<std::string> field{std::istream_iterator<std::string>(fields),
                                   std::istream_iterator<std::string>()};
    // id parent major:minor root mount-point options [optional...] - type source ...
    std::size_t dash = 6;
    while (dash < field.size() && field[dash] != "-") ++dash;
    if (field.size() < 5 || dash + 2 >= field.size()) continue;
    // A bind mount of part of a file system shows a folder (or a file) seen
    // elsewhere already.
    if (field[3] != "/") continue;
    const std::string point = DecodeMountField(field[4]);
    if (!IsRealFileSystem(field[dash + 1], DecodeMountField(field[dash + 2]))) continue;
    bool known = false;
    for (const std::string& seen : points) known = known || seen == point;
    if (!known) points.push_back(point);
  }
  return points;
}

std::vector<std::string> MountPoints() {
  std::ifstream file("/proc/self/mountinfo", std::ios::binary);
  return ParseMountPoints(
      std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()));
}

}  // namespace tarnwell::platform
