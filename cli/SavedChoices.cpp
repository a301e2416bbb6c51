// The window's saved choices read as the runner's defaults.
#include "cli/SavedChoices.h"

#include "platform/PathNames.h"
#include "platform/Paths.h"
#include "platform/SettingsPath.h"

namespace tarnwell::cli {
namespace {

constexpr const char* Main = "Main";

void ReadIndex(const platform::IniFile& settings, const char* key, int items, int& index) {
  const int saved = settings.ReadInteger(Main, key, index);
  if (saved >= 0 && saved < items) index = saved;
}

}  // namespace

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
  if (useFolder) {
    const std::string folder = settings.ReadString(Main, "Folder", choices.Folder);
    // Either would make the run create and measure a folder nobody named.
    if (settings.IsCut(Main, "Folder")) {
      return "設定ファイル " + settings.Path() + " の Folder が長すぎます";
    }
    if (!folder.empty() && !platform::IsAbsolutePath(folder)) {
      return "設定ファイル " + settings.Path() + " の Folder \"" + folder +
             "\" は絶対パスではありません";
    }
    if (!folder.empty()) choices.Folder = folder;
  }
  ReadIndex(settings, "FileSize", ItemCount, choices.FileSizeIndex);
  ReadIndex(settings, "TotalSize", ItemCount, choices.TotalSizeIndex);
  choices.DeleteFiles = settings.ReadBool(Main, "DeleteAfterWrite", choices.DeleteFiles);
  choices.OneMegabyteBlocks = settings.ReadBool(Main, "WriteRead1MB", choices.OneMegabyteBlocks);
  choices.ReadOnly = settings.ReadBool(Main, "ReadOnly", choices.ReadOnly);
  choices.ReadRandom = settings.ReadBool(Main, "ReadRandom", choices.ReadRandom);
  ReadIndex(settings, "ReadPercentage", static_cast<int>(ReadPercentageItems.size()),
            choices.ReadPercentageIndex);
  ReadIndex(settings, "Repeat", static_cast<int>(RepeatItems.size()), choices.RepeatIndex);
  ReadIndex(settings, "Wait", static_cast<int>(WaitItems.size()), options.WaitIndex);
  // The saved priority is shown by the window but applied only on request;
  // the runner likewise applies one only when --priority asks for it.
  return {};
}

}  // namespace tarnwell::cli
