// Device identity on Windows: the volume's root, file system and free space,
// and its sector size. The device model would need the storage query
// IOCTLs and administrator rights on some systems; it is left empty.
#include "platform/DeviceIdentity.h"

#include <windows.h>

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {

DeviceIdentity IdentifyDevice(const std::string& folder) {
  DeviceIdentity identity;
  identity.Folder = folder;
  wchar_t root[MAX_PATH + 1] = {};
  if (!::GetVolumePathNameW(win32::Wide(folder).c_str(), root, MAX_PATH)) return identity;
  identity.MountPoint = win32::Utf8(root);
  identity.MountSource = identity.MountPoint;
  wchar_t fileSystem[MAX_PATH + 1] = {};
  if (::GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, fileSystem, MAX_PATH)) {
    identity.FileSystemType = win32::Utf8(fileSystem);
  }
  ULARGE_INTEGER available{}, capacity{};
  if (::GetDiskFreeSpaceExW(root, &available, &capacity, nullptr)) {
    identity.FreeBytes = static_cast<std::int64_t>(available.QuadPart);
    identity.CapacityBytes = static_cast<std::int64_t>(capacity.QuadPart);
  }
  DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
  if (::GetDiskFreeSpaceW(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters)) {
    identity.LogicalSectorBytes = bytesPerSector;
    identity.PhysicalSectorBytes = bytesPerSector;
  }
  return identity;
}

}  // namespace tarnwell::platform
