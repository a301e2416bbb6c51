// TkvWindowsVersion: the operating system's version record and a one-line
// description of it, plus the exception raised when the system cannot say.
// Despite the unit's name it describes Linux as well as Windows.
#pragma once

#include <string>

#include "platform/SystemIdentity.h"
#include "sysinfo/Exception.h"

namespace tarnwell {

// Raised with "Failed to call GetVersionEx" when the version query fails.
class EkvWindowsVersion : public Exception {
public:
  using Exception::Exception;
};

// Built fresh for every use and read directly; never changed once built.
class TkvWindowsVersion {
public:
  // Queries the running system; raises EkvWindowsVersion when it cannot.
  TkvWindowsVersion();
  // Describes a given record, whatever its values.
  explicit TkvWindowsVersion(const platform::VersionRecord& record);

  // Whether the system has separate per-user and all-users application
  // menus: the NT family and Linux.
  bool IsNT = false;
  // "<platform> Version <major>.<minor> Build <build> <service pack>"; the
  // platform text is empty for an identifier this program does not know,
  // and the blank before the service-pack text is there even when it is empty.
  std::string VersionText;
  platform::VersionRecord VersionInfo;

private:
  void Describe();
};

}  // namespace tarnwell
