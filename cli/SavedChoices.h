// The window's saved choices as defaults for tarnwell-cli. The settings file
// is only read here, never written.
#pragma once

#include <string>

#include "cli/CliOptions.h"
#include "platform/IniFile.h"

namespace tarnwell::cli {

// Where the window keeps its settings: the file the window executable beside
// this one would use.
std::string WindowSettingsPath();

// Takes every choice the file holds into `options`. A value the window's
// lists cannot show (a hand-edited index out of range, an empty folder)
// leaves the default in place. A saved folder the runner must not guess at
// (cut by the reading limit, or relative, such as a Windows "C:\" carried
// over) is refused: the returned text says why; empty when all is well.
// Without `useFolder` (the command line names the folder) the saved folder
// is neither read nor judged.
std::string ApplySavedChoices(const platform::IniFile& settings, CliOptions& options,
                              bool useFolder);

}  // namespace tarnwell::cli
