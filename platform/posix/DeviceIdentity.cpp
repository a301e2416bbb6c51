// Device identity on Linux: statvfs for the free space, mountinfo for the
// file system and its source, sysfs for the block device's properties.
#include "platform/DeviceIdentity.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <sstream>
#include <string>

#include "platform/posix/LinuxCounters.h"

namespace tarnwell::platform {

// mountinfo writes blanks and the like in paths as octal escapes.
std::string UnescapeMountField(const std::string& text) {
  std::string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 3 < text.size()) {
      const std::string digits = text.substr(i + 1, 3);
      if (digits.find_first_not_of("01234567") == std::string::npos) {
        result += static_cast<char>(std::stoi(digits, nullptr, 8));
        i += 3;
        continue;
      }
    }
    result += text[i];
  }
  return result;
}

namespace {

std::string FirstLine(const std::string& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\n')) line.pop_back();
  return line;
}

std::int64_t Number(const std::string& path) {
  const std::string text = FirstLine(path);
  try {
    return text.empty() ? 0 : std::stoll(text);
  } catch (...) {
    return 0;
  }
}

}  // namespace

std::string NearestExistingFolder(std::string folder) {
  struct stat info {};
  while (!folder.empty() && ::stat(folder.c_str(), &info) != 0) {
    const std::size_t cut = folder.find_last_of('/');
    if (cut == std::string::npos) return ".";
    folder.resize(cut == 0 ? 1 : cut);
  }
  return folder;
}

DeviceIdentity IdentifyDevice(const std::string& folder) {
  DeviceIdentity identity;
  identity.Folder = folder;
  const std::string existing = NearestExistingFolder(folder);
  struct statvfs space {};
  if (::statvfs(existing.c_str(), &space) == 0) {
    identity.FreeBytes =
        static_cast<std::int64_t>(space.f_bavail) * static_cast<std::int64_t>(space.f_frsize);
    identity.CapacityBytes =
        static_cast<std::int64_t>(space.f_blocks) * static_cast<std::int64_t>(space.f_frsize);
  }
  struct stat info {};
  if (::stat(existing.c_str(), &info) != 0) return identity;
  const unsigned major = ::major(info.st_dev);
  const unsigned minor = ::minor(info.st_dev);
  const std::string device = std::to_string(major) + ":" + std::to_string(minor);

  // "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw"
  std::ifstream mounts("/proc/self/mountinfo");
  for (std::string line; std::getline(mounts, line);) {
    std::istringstream fields(line);
    std::string id, parent, numbers, root, point;
    fields >> id >> parent >> numbers >> root >> point;
    if (numbers != device) continue;
    const std::size_t dash = line.find(" - ");
    if (dash == std::string::npos) continue;
    std::istringstream tail(line.substr(dash + 3));
    std::string type, source;
    tail >> type >> source;
    // The last matching line is the mount in force (a later one hides earlier).
    identity.MountPoint = UnescapeMountField(point);
    identity.FileSystemType = type;
    identity.MountSource = UnescapeMountField(source);
  }

  // /sys/dev/block/MAJ:MIN is the disk or one of its partitions.
  std::string block = "/sys/dev/block/" + device;
  struct stat partition {};
  if (::stat((block + "/partition").c_str(), &partition) == 0) block += "/..";
  std::string name;
  std::ifstream uevent(block + "/uevent");
  for (std::string line; std::getline(uevent, line);) {
    if (line.rfind("DEVNAME=", 0) == 0) name = line.substr(8);
  }
  if (name.empty()) return identity;
  identity.DeviceName = name;
  identity.Model = FirstLine(block + "/device/model");
  const std::string rotational = FirstLine(block + "/queue/rotational");
  if (!rotational.empty()) identity.Rotational = rotational == "1" ? 1 : 0;
  identity.LogicalSectorBytes = Number(block + "/queue/logical_block_size");
  identity.PhysicalSectorBytes = Number(block + "/queue/physical_block_size");
  return identity;
}

}  // namespace tarnwell::platform
