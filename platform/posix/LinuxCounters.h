// How Linux maps a folder to the block devices that hold its data, written
// against a sysfs root, a mountinfo text and what the system says of paths
// and loop devices, so that tests can hand it a fake tree. Bodies in
// DeviceCounters.cpp and DeviceIdentity.cpp.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "platform/DeviceCounters.h"

namespace tarnwell::platform {

struct DeviceNumber {
  unsigned Major = 0;
  unsigned Minor = 0;
  bool operator==(const DeviceNumber&) const = default;
};

// What the system says of one path.
struct PathFacts {
  // The file system holding it. On btrfs this is the subvolume's own
  // anonymous number, which no mountinfo line shows.
  DeviceNumber Device;
  std::uint64_t Inode = 0;
  // mountinfo's first field, where the kernel tells it.
  std::optional<std::uint64_t> MountId;
  // The device a block-device node names (its st_rdev).
  std::optional<DeviceNumber> BlockDevice;
};

// A loop device's own account of its backing file, true whatever became of
// the file's name: deleted, or a path in another mount namespace.
struct LoopFacts {
  DeviceNumber Device;  // the file system holding the backing file
  std::uint64_t Inode = 0;
  std::optional<DeviceNumber> BlockDevice;  // when the backing file is a block device
};

struct LinuxView {
  std::string SysRoot = "/sys";
  std::string MountInfo;  // the text of /proc/self/mountinfo
  // Facts of a path (a loop device's backing file, an overlay's layer);
  // nothing when the path cannot be reached.
  std::function<std::optional<PathFacts>(const std::string& path)> Path;
  // Facts of the loop device `name` with the number `device`; nothing when
  // it cannot be asked (no permission, no node).
  std::function<std::optional<LoopFacts>(const std::string& name, DeviceNumber device)> Loop;
};

// The plan for a folder with the facts `folder`.
CounterPlan PlanLinuxCounters(const LinuxView& view, const PathFacts& folder);

// One line of mountinfo, its fields decoded.
struct MountLine {
  std::uint64_t Id = 0;
  std::string Numbers;  // "0:40"
  std::string Point;
  std::string Type;
  std::string Source;
  std::string Options;  // the file system's own ("rw,lowerdir=...,upperdir=...")
};

// The mount holding a path with `facts`: by its mount id where known, else
// by its device number (the last such line is the mount in force), else, for
// a number no line shows (a btrfs subvolume), the mount whose root has it.
std::optional<MountLine> FindMount(
    const std::string& mountInfo, const PathFacts& facts,
    const std::function<std::optional<PathFacts>(const std::string&)>& pathFacts);
// What this system says of `path`; nothing when it cannot be reached.
std::optional<PathFacts> PathFactsOf(const std::string& path);

// mountinfo's fields with their octal escapes ("\040" for a blank) decoded.
std::string UnescapeMountField(const std::string& text);
// `folder`, or its nearest parent that exists.
std::string NearestExistingFolder(std::string folder);

// The bytes read and written in the text of a sysfs block `stat` file
// (sectors of 512 bytes, whatever the device's own sector size).
std::optional<CounterSample> ParseBlockStat(const std::string& text);

}  // namespace tarnwell::platform
