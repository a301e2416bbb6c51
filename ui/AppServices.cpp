// The system's services for the forms.
#include "ui/AppServices.h"

#include "platform/Paths.h"
#include "platform/SettingsPath.h"

namespace tarnwell::ui {

std::string SystemServices::SettingsPath() { return platform::SettingsFilePath(); }

std::string SystemServices::DefaultFolder() {
  // A drive letter means nothing here; the home folder is where the user
  // may write, as the command-line tool does.
  const std::string home = platform::HomeDirectory();
  return home.empty() ? std::string("/tmp") : home;
}

bool SystemServices::SetPriority(platform::PriorityClass priority) {
  return platform::SetPriorityClass(priority);
}

}  // namespace tarnwell::ui
