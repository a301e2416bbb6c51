// kvUnit01's user and machine names, asked of the platform layer.
#include "sysinfo/kvUnit01.h"

#include <utility>

#include "platform/SystemIdentity.h"

namespace tarnwell {

std::string GetLoginUserName() {
  platform::Result<std::string> name = platform::QueryLoginUserName();
  if (!name.Ok()) throw EkvGetUserName("Failed to call GetUserName");
  return std::move(name).Value();
}

std::string GetMachineName() {
  platform::Result<std::string> name = platform::QueryMachineName();
  if (!name.Ok()) throw EkvGetComputerName("Failed to call GetComputerName");
  return std::move(name).Value();
}

}  // namespace tarnwell
