// Device identity on Linux: statvfs for the free space, mountinfo for the
// file system and its source, sysfs for the block device's properties.
#include "platform/DeviceIdentity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

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

// Older headers lack it; kernels before 5.8 leave it out of stx_mask.
#ifndef STATX_MNT_ID
#define STATX_MNT_ID 0x1000U
#endif

std::optional<MountLine> ParseMountLine(const std::string& line) {
  // "36 35 98:0 /mnt1 /mnt/parent rw,noatime master:1 - ext3 /dev/root rw"
  std::istringstream fields(line);
  MountLine mount;
  std::string root, point;
  if (!(fields >> mount.Id >> root >> mount.Numbers >> root >> point)) return std::nullopt;
  const std::size_t dash = line.find(" - ");
  if (dash == std::string::npos) return std::nullopt;
  std::istringstream tail(line.substr(dash + 3));
  std::string source;
  tail >> mount.Type >> source >> mount.Options;
  mount.Point = UnescapeMountField(point);
  mount.Source = UnescapeMountField(source);
  return mount;
}

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

std::optional<MountLine> FindMount(
    const std::string& mountInfo, const PathFacts& facts,
    const std::function<std::optional<PathFacts>(const std::string&)>& pathFacts) {
  const std::string numbers =
      std::to_string(facts.Device.Major) + ":" + std::to_string(facts.Device.Minor);
  std::vector<MountLine> lines;
  std::optional<MountLine> byNumber;
  std::istringstream text(mountInfo);
  for (std::string line; std::getline(text, line);) {
    std::optional<MountLine> mount = ParseMountLine(line);
    if (!mount) continue;
    if (facts.MountId && mount->Id == *facts.MountId) return mount;
    if (mount->Numbers == numbers) byNumber = mount;  // a later line hides an earlier one
    lines.push_back(std::move(*mount));
  }
  if (byNumber || !pathFacts) return byNumber;
  // btrfs gives each subvolume its own number, and mountinfo shows the file
  // system's: a mount whose root carries the path's number holds it.
  std::optional<MountLine> byRoot;
  for (const MountLine& mount : lines) {
    if (mount.Type != "btrfs") continue;
    const std::optional<PathFacts> root = pathFacts(mount.Point);
    if (root && root->Device == facts.Device) byRoot = mount;
  }
  return byRoot;
}

std::optional<PathFacts> PathFactsOf(const std::string& path) {
  struct statx info {};
  if (::statx(AT_FDCWD, path.c_str(), AT_NO_AUTOMOUNT, STATX_INO | STATX_MNT_ID, &info) != 0) {
    return std::nullopt;
  }
  PathFacts facts;
  facts.Device = {info.stx_dev_major, info.stx_dev_minor};
  facts.Inode = info.stx_ino;
  if ((info.stx_mask & STATX_MNT_ID) != 0) facts.MountId = info.stx_mnt_id;
  if (S_ISBLK(info.stx_mode))
    facts.BlockDevice = DeviceNumber{info.stx_rdev_major, info.stx_rdev_minor};
  return facts;
}

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
  const std::optional<PathFacts> facts = PathFactsOf(existing);
  if (!facts) return identity;
  const std::string device =
      std::to_string(facts->Device.Major) + ":" + std::to_string(facts->Device.Minor);

  std::ifstream mounts("/proc/self/mountinfo");
  const std::string mountInfo((std::istreambuf_iterator<char>(mounts)),
                              std::istreambuf_iterator<char>());
  const std::optional<MountLine> mount = FindMount(mountInfo, *facts, PathFactsOf);
  if (mount) {
    identity.MountPoint = mount->Point;
    identity.FileSystemType = mount->Type;
    identity.MountSource = mount->Source;
  }

  // /sys/dev/block/MAJ:MIN is the disk or one of its partitions. A number
  // that is no block device (btrfs) goes by the device its mount names.
  std::string block = "/sys/dev/block/" + device;
  struct stat node {};
  if (::stat(block.c_str(), &node) != 0 && mount && mount->Source.rfind("/dev/", 0) == 0) {
    std::error_code error;
    const std::filesystem::path source = std::filesystem::canonical(mount->Source, error);
    if (!error) block = "/sys/class/block/" + source.filename().string();
  }
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
