// System identity on Linux: uname and os-release for the version, the
// password database for the user, gethostname for the machine.
#include "platform/SystemIdentity.h"

#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/posix/LinuxRelease.h"

namespace tarnwell::platform {
namespace {

// The system's own file first, the vendor's default second, as os-release
// readers are expected to look.
constexpr const char* OsReleasePaths[] = {"/etc/os-release", "/usr/lib/os-release"};

// os-release is a few hundred bytes; anything far larger is not one.
constexpr std::size_t MaxOsReleaseSize = std::size_t{64} * 1024;

// Host names are at most 64 bytes on Linux; the room beyond that keeps a
// NUL at the end whatever gethostname does with a longer one.
constexpr std::size_t HostNameBufferSize = 256;

std::string ReadOsRelease() {
  for (const char* path : OsReleasePaths) {
    std::ifstream file(path, std::ios::binary);
    if (!file) continue;
    std::string text;
    text.resize(MaxOsReleaseSize);
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
  }
  return {};
}

}  // namespace

Result<VersionRecord> QueryVersion() {
  utsname names{};
  if (::uname(&names) != 0) return Status::Failure(errno);
  return LinuxVersionRecord(names.release, OsReleaseValue(ReadOsRelease(), "PRETTY_NAME"));
}

std::string SystemName(const VersionRecord& record) {
  return std::string(record.CSDVersion, strnlen(record.CSDVersion, sizeof record.CSDVersion));
}

Result<std::string> QueryLoginUserName() {
  const long suggested = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
  passwd entry{};
  passwd* found = nullptr;
  int rc = 0;
  // Entries from a directory service can exceed the suggested size.
  while ((rc = ::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
         buffer.size() < (1u << 20)) {
    buffer.resize(buffer.size() * 2);
  }
  // getpwuid_r answers with the error number; no entry is no error at all.
  if (rc != 0) return Status::Failure(rc);
  if (found == nullptr || found->pw_name == nullptr) return Status::Failure(0);
  std::string name = found->pw_name;
  if (name.size() > MaxLoginNameLength) return Status::Failure(ENAMETOOLONG);
  return name;
}

Result<std::string> QueryMachineName() {
  std::vector<char> buffer(HostNameBufferSize + 1, '\0');
  if (::gethostname(buffer.data(), HostNameBufferSize) != 0) return Status::Failure(errno);
  return std::string(buffer.data());
}

}  // namespace tarnwell::platform
