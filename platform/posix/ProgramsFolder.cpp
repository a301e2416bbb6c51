// Locating and creating the desktop's application-menu folders.
#include "platform/ProgramsFolder.h"

#include <sys/stat.h>

#include <cerrno>

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/posix/LinuxFolders.h"

namespace tarnwell::platform {
namespace {

// The menu folder shared by every user of the machine.
constexpr const char* AllUsersProgramsFolder = "/usr/local/share/applications";

bool IsDirectory(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

}  // namespace

std::string ProgramsFolder(bool allUsers) {
  if (allUsers) {
    const std::string folder = AllUsersProgramsFolder;
    // Only the last level is made: /usr/local/share belongs to the system,
    // and a menu folder there must be readable by everyone.
    if (::mkdir(folder.c_str(), 0755) != 0 && errno != EEXIST) return {};
    return IsDirectory(folder) ? folder : std::string();
  }
  const std::string dataHome = UserBaseDirectory(UserFolder::Data);
  if (dataHome.empty()) return {};
  const std::string folder = (dataHome == "/" ? std::string() : dataHome) + "/applications";
  // The user's own data folders are private, as the XDG rules ask of them.
  if (!IsDirectory(folder) && !SystemFileSystem().MakePrivateDirectories(folder).Ok()) return {};
  return IsDirectory(folder) ? folder : std::string();
}

}  // namespace tarnwell::platform
