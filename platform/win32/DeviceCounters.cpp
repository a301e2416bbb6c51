// Device counters on Windows: the volume's physical disks from its extents,
// and their byte counters from the disk performance query. Wine has neither
// (and honours neither unbuffered nor write-through I/O), so it is found
// first and named as the reason.
#include "platform/DeviceCounters.h"

#include <windows.h>
#include <winioctl.h>

#include <set>
#include <vector>

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {
namespace {

CounterPlan Failure(DWORD code) {
  CounterPlan plan;
  plan.Gap = CounterGap::Failed;
  plan.Code = static_cast<int>(code);
  return plan;
}

// A handle for queries only: no read or write access is asked for.
HANDLE OpenForQuery(const std::wstring& path) {
  return ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       0, nullptr);
}

}  // namespace

bool RunningUnderWine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

CounterPlan PlanDeviceCounters(const std::string& folder) {
  if (RunningUnderWine()) {
    CounterPlan plan;
    plan.Gap = CounterGap::Wine;
    return plan;
  }
  wchar_t root[MAX_PATH + 1] = {};
  if (!::GetVolumePathNameW(win32::Wide(folder).c_str(), root, MAX_PATH)) {
    return Failure(::GetLastError());
  }
  // "\\?\Volume{...}\" names the volume wherever it is mounted; its device
  // is the same name without the closing backslash.
  wchar_t volume[MAX_PATH + 1] = {};
  if (!::GetVolumeNameForVolumeMountPointW(root, volume, MAX_PATH)) {
    return Failure(::GetLastError());
  }
  std::wstring device = volume;
  if (!device.empty() && device.back() == L'\\') device.pop_back();
  const HANDLE handle = OpenForQuery(device);
  if (handle == INVALID_HANDLE_VALUE) return Failure(::GetLastError());
  // Room for a volume spanning many disks.
  std::vector<unsigned char> buffer(sizeof(VOLUME_DISK_EXTENTS) + 31 * sizeof(DISK_EXTENT));
  DWORD returned = 0;
  const BOOL ok =
      ::DeviceIoControl(handle, IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS, nullptr, 0, buffer.data(),
                        static_cast<DWORD>(buffer.size()), &returned, nullptr);
  const DWORD code = ::GetLastError();
  ::CloseHandle(handle);
  if (!ok) return Failure(code);
  const auto* extents = reinterpret_cast<const VOLUME_DISK_EXTENTS*>(buffer.data());
  CounterPlan plan;
  std::set<DWORD> disks;
  for (DWORD i = 0; i < extents->NumberOfDiskExtents; ++i) {
    disks.insert(extents->Extents[i].DiskNumber);
  }
  for (const DWORD disk : disks) {
    plan.Devices.push_back("PhysicalDrive" + std::to_string(disk));
    plan.Sources.push_back("\\\\.\\PhysicalDrive" + std::to_string(disk));
  }
  // A first reading tells whether the counters are there at all.
  const CounterSample sample = ReadDeviceCounters(plan);
  if (!sample.Result.Ok()) return Failure(static_cast<DWORD>(sample.Result.code));
  return plan;
}

CounterSample ReadDeviceCounters(const CounterPlan& plan) {
  CounterSample total;
  if (!plan.Counted()) {
    total.Result = {IoError::NotFound, 0};
    return total;
  }
  for (const std::string& source : plan.Sources) {
    const HANDLE disk = OpenForQuery(win32::Wide(source));
    if (disk == INVALID_HANDLE_VALUE) {
      total.Result = Status::Failure(static_cast<int>(::GetLastError()));
      return total;
    }
    DISK_PERFORMANCE performance{};
    DWORD returned = 0;
    const BOOL ok = ::DeviceIoControl(disk, IOCTL_DISK_PERFORMANCE, nullptr, 0, &performance,
                                      sizeof performance, &returned, nullptr);
    const DWORD code = ::GetLastError();
    ::CloseHandle(disk);
    if (!ok) {
      total.Result = Status::Failure(static_cast<int>(code));
      return total;
    }
    total.ReadBytes += performance.BytesRead.QuadPart;
    total.WrittenBytes += performance.BytesWritten.QuadPart;
  }
  return total;
}

}  // namespace tarnwell::platform
