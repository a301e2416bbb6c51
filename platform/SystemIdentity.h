// Who and where the program runs: the operating system's version record,
// the login name of the effective user and the machine's host name.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Error.h"

namespace tarnwell::platform {

// Platform identifiers of the version record. The first three are the
// values the Windows families report; the last is this program's own for
// Linux, chosen outside any range Windows ever used ("LNX" in ASCII).
inline constexpr std::uint32_t PlatformWin32s = 0;
inline constexpr std::uint32_t PlatformWin32Windows = 1;
inline constexpr std::uint32_t PlatformWin32NT = 2;
inline constexpr std::uint32_t PlatformLinux = 0x4C4E5800;

// Capacity of the service-pack text, terminator included when there is one.
inline constexpr std::size_t CSDVersionSize = 128;

// The operating system's version. On Linux: major.minor and build are the
// first three numbers of the kernel release, CSDVersion is the PRETTY_NAME
// of os-release (empty when there is none).
struct VersionRecord {
  std::uint32_t MajorVersion = 0;
  std::uint32_t MinorVersion = 0;
  std::uint32_t BuildNumber = 0;
  std::uint32_t PlatformId = 0;
  // NUL-terminated when shorter than CSDVersionSize; a full array has none.
  char CSDVersion[CSDVersionSize] = {};
};

// The longest login name accepted; a longer one is a failure, not cut.
inline constexpr std::size_t MaxLoginNameLength = 256;

// The running system's version record; not Ok() when the system cannot say.
Result<VersionRecord> QueryVersion();
// The system's name for itself as `record` (from QueryVersion) goes with
// it: on Linux the PRETTY_NAME of os-release ("Debian GNU/Linux 12
// (bookworm)"), empty when there is none; on Windows the product name with
// the service pack after it ("Windows 7 Professional Service Pack 1").
std::string SystemName(const VersionRecord& record);
// The name of the effective user in the password database; not Ok() when
// the user has no entry or the name is longer than MaxLoginNameLength.
Result<std::string> QueryLoginUserName();
// The host name, whole; not Ok() when the system cannot say.
Result<std::string> QueryMachineName();

}  // namespace tarnwell::platform
