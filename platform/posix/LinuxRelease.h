// Turning the kernel's release text and the os-release file into a version
// record for the Linux body of SystemIdentity.h; pure text work, so it can
// be checked against any input.
#pragma once

#include <string>
#include <string_view>

#include "platform/SystemIdentity.h"

namespace tarnwell::platform {

// The value of `key` in os-release text: the last assignment wins, quotes
// are removed and backslash escapes resolved as a shell would read them.
// Empty when the key is absent.
std::string OsReleaseValue(std::string_view text, std::string_view key);

// A record for Linux: major, minor and build are the first three numbers of
// `kernelRelease` ("6.1.0-18-amd64" gives 6, 1, 0; a missing or oversized
// number counts as 0); the service-pack text is `prettyName`, cut at a
// character boundary to leave room for the terminator.
VersionRecord LinuxVersionRecord(std::string_view kernelRelease, std::string_view prettyName);

}  // namespace tarnwell::platform
