// The system's services for the forms.
#include "ui/AppServices.h"

#include "engine/output/RunHistory.h"
#include "platform/InstalledFiles.h"
#include "platform/Paths.h"
#include "platform/ProgramsFolder.h"
#include "platform/SettingsPath.h"
#include "platform/Shell.h"
#include "sysinfo/HelpCommands.h"
#include "sysinfo/kvUnit01.h"

namespace tarnwell::ui {

std::string SystemServices::SettingsPath() { return platform::SettingsFilePath(); }

std::string SystemServices::DefaultFolder() { return platform::DefaultWorkFolder(); }

bool SystemServices::SetPriority(platform::PriorityClass priority) {
  return platform::SetPriorityClass(priority).Ok();
}

std::string SystemServices::LoginUserName() { return GetLoginUserName(); }

std::string SystemServices::MachineName() { return GetMachineName(); }

std::string SystemServices::ProgramsFolder(bool allUsers) {
  return platform::ProgramsFolder(allUsers);
}

void SystemServices::CreateShortcut(const std::string& linkPath, const std::string& targetPath,
                                    const std::string& description) {
  tarnwell::CreateShortcut(linkPath, targetPath, description);
}

std::string SystemServices::ExecutablePath() { return platform::ExecutablePath(); }

std::string SystemServices::ReadmePath() { return platform::FindReadme(); }

std::string SystemServices::WebAddress() { return tarnwell::WebAddress(); }

bool SystemServices::OpenWithDesktop(const std::string& target) {
  return platform::OpenWithDesktop(target).Ok();
}

std::string SystemServices::HistoryPath() { return tarnwell::HistoryPath(); }

}  // namespace tarnwell::ui
