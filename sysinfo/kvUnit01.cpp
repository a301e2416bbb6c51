// kvUnit01's user and machine names, asked of the platform layer.
#include "sysinfo/kvUnit01.h"

#include "platform/SystemIdentity.h"

namespace tarnwell {

std::string GetLoginUserName() {
  std::string name;
  if (!platform::QueryLoginUserName(name)) throw EkvGetUserName("Failed to call GetUserName");
  return name;
}

std::string GetMachineName() {
  std::string name;
  if (!platform::QueryMachineName(name)) {
    throw EkvGetComputerName("Failed to call GetComputerName");
  }
  return name;
}

}  // namespace tarnwell
