// Describing the operating system's version record in one line.
#include "sysinfo/kvUnitWindowsVersion.h"

#include <algorithm>

namespace tarnwell {
namespace {

const char* PlatformText(std::uint32_t platformId) {
  switch (platformId) {
    case platform::PlatformWin32s:
      return "Windows 3.1(Win32s)";
    case platform::PlatformWin32Windows:
      return "Windows 95 series";
    case platform::PlatformWin32NT:
      return "Windows NT series";
    case platform::PlatformLinux:
      return "Linux";
    default:
      return "";
  }
}

}  // namespace

TkvWindowsVersion::TkvWindowsVersion() {
  const platform::Result<platform::VersionRecord> version = platform::QueryVersion();
  if (!version.Ok()) throw EkvWindowsVersion("Failed to call GetVersionEx");
  VersionInfo = *version;
  Describe();
}

TkvWindowsVersion::TkvWindowsVersion(const platform::VersionRecord& record) : VersionInfo(record) {
  Describe();
}

void TkvWindowsVersion::Describe() {
  IsNT = VersionInfo.PlatformId == platform::PlatformWin32NT ||
         VersionInfo.PlatformId == platform::PlatformLinux;
  // A record filled to the last byte has no terminator: take all of it.
  const char* const csd = VersionInfo.CSDVersion;
  const char* const csdEnd = std::find(csd, csd + sizeof VersionInfo.CSDVersion, '\0');
  VersionText = std::string(PlatformText(VersionInfo.PlatformId)) + " Version " +
                std::to_string(VersionInfo.MajorVersion) + "." +
                std::to_string(VersionInfo.MinorVersion) + " Build " +
                std::to_string(VersionInfo.BuildNumber) + " " + std::string(csd, csdEnd);
}

}  // namespace tarnwell
