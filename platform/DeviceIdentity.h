// What a run measured: the folder's file system and the device beneath it,
// as far as the system tells. Filled before a run, never inside one.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwell::platform {

struct DeviceIdentity {
  std::string Folder;          // the folder asked about
  std::string FileSystemType;  // "ext4", "tmpfs", "NTFS"; empty when unknown
  std::string MountSource;     // "/dev/vda", "server:/export", "C:\"
  std::string MountPoint;
  std::string DeviceName;                // "vda", "nvme0n1"; empty for no block device
  std::string Model;                     // the device's model text; empty when not told
  int Rotational = -1;                   // 1 spinning disk, 0 not, -1 unknown
  std::int64_t LogicalSectorBytes = 0;   // 0 when unknown
  std::int64_t PhysicalSectorBytes = 0;  // 0 when unknown
  std::int64_t FreeBytes = -1;           // -1 when unknown
  std::int64_t CapacityBytes = -1;       // the file system's size as it claims it; -1 unknown
};

// Identifies the file system and device of `folder`, or of its nearest
// existing parent when it does not exist yet.
DeviceIdentity IdentifyDevice(const std::string& folder);

}  // namespace tarnwell::platform
