// Who and where on Windows: GetVersionExA (the manifest declares Windows 10
// and 11, so they report their real version) and the registry's product
// name, GetUserNameA and GetComputerNameA, their ANSI texts turned into
// UTF-8.
#include "platform/SystemIdentity.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/Encoding.h"

namespace tarnwell::platform {
namespace {

// A NUL-terminated ANSI buffer as UTF-8.
std::string FromAnsiBuffer(const char* buffer, std::size_t capacity) {
  return win32::Utf8FromAnsi(std::string(buffer, strnlen(buffer, capacity)));
}

// GetLastError()'s code for a call that just failed.
Status LastError() { return Status::Failure(static_cast<int>(::GetLastError())); }

}  // namespace

Result<VersionRecord> QueryVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExA(&info)) return LastError();
#pragma GCC diagnostic pop
  VersionRecord record;
  record.MajorVersion = info.dwMajorVersion;
  record.MinorVersion = info.dwMinorVersion;
  record.BuildNumber = info.dwBuildNumber;
  record.PlatformId = info.dwPlatformId;
  const std::string text = FromAnsiBuffer(info.szCSDVersion, sizeof info.szCSDVersion);
  std::memset(record.CSDVersion, 0, sizeof record.CSDVersion);
  std::memcpy(record.CSDVersion, text.data(), std::min(text.size(), sizeof record.CSDVersion - 1));
  return record;
}

std::string SystemName(const VersionRecord& record) {
  // The record's text is only the service pack; the name is the product's.
  wchar_t product[256] = {};
  DWORD size = sizeof product;
  std::string name = "Windows";
  if (::RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                     L"ProductName", RRF_RT_REG_SZ, nullptr, product, &size) == ERROR_SUCCESS &&
      product[0] != L'\0') {
    name = win32::Utf8(product);
  }
  const std::size_t packLength = strnlen(record.CSDVersion, sizeof record.CSDVersion);
  if (packLength > 0) name += " " + std::string(record.CSDVersion, packLength);
  return name;
}

Result<std::string> QueryLoginUserName() {
  char buffer[MaxLoginNameLength + 1] = {};
  DWORD size = sizeof buffer;
  if (!::GetUserNameA(buffer, &size)) return LastError();
  return FromAnsiBuffer(buffer, sizeof buffer);
}

Result<std::string> QueryMachineName() {
  char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof buffer;
  if (!::GetComputerNameA(buffer, &size)) return LastError();
  return FromAnsiBuffer(buffer, sizeof buffer);
}

}  // namespace tarnwell::platform
