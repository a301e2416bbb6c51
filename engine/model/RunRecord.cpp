// What the run record says of itself: its device in a few words and whether
// two runs measured alike.
#include "engine/model/RunRecord.h"

namespace tarnwell {

std::string DeviceLabel(const platform::DeviceIdentity& device) {
  std::string detail = device.DeviceName.empty() ? device.MountSource : device.DeviceName;
  if (!device.FileSystemType.empty()) {
    detail += (detail.empty() ? "" : ", ") + device.FileSystemType;
  }
  if (device.Model.empty()) return detail;
  return detail.empty() ? device.Model : device.Model + " (" + detail + ")";
}

bool SameSetup(const RunRecord& a, const RunRecord& b) {
  return DeviceLabel(a.Device) == DeviceLabel(b.Device) && a.Folder == b.Folder &&
         a.FileSize == b.FileSize && a.Total == b.Total && a.Block == b.Block &&
         a.ReadPercent == b.ReadPercent && a.Random == b.Random && a.ReadOnly == b.ReadOnly;
}

}  // namespace tarnwell
