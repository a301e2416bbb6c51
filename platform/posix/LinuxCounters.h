// How Linux maps a folder to the block devices that hold its data, written
// against a sysfs root and a mountinfo text so that tests can hand it a
// fake tree. Bodies in DeviceCounters.cpp and DeviceIdentity.cpp.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/DeviceCounters.h"

namespace tarnwell::platform {

struct DeviceNumber {
  unsigned Major = 0;
  unsigned Minor = 0;
};

struct LinuxView {
  std::string SysRoot = "/sys";
  std::string MountInfo;  // the text of /proc/self/mountinfo
  // The device number of the file system holding a path (a loop device's
  // backing file); nothing when the path cannot be reached.
  std::function<std::optional<DeviceNumber>(const std::string& path)> FileDevice;
};

// The plan for a folder whose file system has the device number `device`.
CounterPlan PlanLinuxCounters(const LinuxView& view, DeviceNumber device);

// mountinfo's fields with their octal escapes ("\040" for a blank) decoded.
std::string UnescapeMountField(const std::string& text);
// `folder`, or its nearest parent that exists.
std::string NearestExistingFolder(std::string folder);

// The bytes read and written in the text of a sysfs block `stat` file
// (sectors of 512 bytes, whatever the device's own sector size).
std::optional<CounterSample> ParseBlockStat(const std::string& text);

}  // namespace tarnwell::platform
