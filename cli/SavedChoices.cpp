// The window's saved choices read as the runner's defaults.
#include "cli/SavedChoices.h"

#include "cli/CliTexts.h"
#include "platform/PathNames.h"
#include "platform/Paths.h"
#include "platform/SettingsPath.h"

namespace tarnwell::cli {

std::string WindowSettingsPath() {
  const std::string parent = platform::ParentPath(platform::ExecutablePath());
  const std::string folder = parent.empty() ? std::string(".") : parent;
  return platform::SettingsFilePathFor(platform::JoinPath(folder, "tarnwell"),
                                       platform::KeepsSettingsBeside(folder),
                                       platform::ProgramConfigDirectory());
}

std::string ApplySavedChoices(const platform::IniFile& settings, CliOptions& options,
                              bool useFolder) {
  RunChoices& choices = options.Choices;
  const Choices saved = ReadChoices(settings, choices, IndexOutsideList::KeepDefault);
  if (useFolder) {
    // Either would make the run create and measure a folder nobody named.
    const std::string key(ChoiceKeys::Folder);
    if (SavedFolderIsCut(settings)) {
      return CliTexts::SettingsFile + settings.Path() + " の " + key + CliTexts::FolderTooLong;
    }
    if (!saved.Folder.empty() && !platform::IsAbsolutePath(saved.Folder)) {
      return CliTexts::SettingsFile + settings.Path() + " の " + key + " \"" + saved.Folder + "\"" +
             CliTexts::FolderNotAbsolute;
    }
  }
  const std::string folder = useFolder && !saved.Folder.empty() ? saved.Folder : choices.Folder;
  // The saved priority is shown by the window but applied only on request;
  // the runner likewise applies one only when --priority asks for it.
  static_cast<Choices&>(choices) = saved;
  choices.Folder = folder;
  return {};
}

}  // namespace tarnwell::cli
