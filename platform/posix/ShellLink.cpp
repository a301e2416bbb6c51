// Shell links on Linux: there is no link object to write them with.
#include "platform/ShellLink.h"

namespace tarnwell::platform {

ShellLinkResult SaveShellLink(const std::string&, const std::string&, const std::string&,
                              const std::string&) {
  return ShellLinkResult::NoLinkObject;
}

}  // namespace tarnwell::platform
