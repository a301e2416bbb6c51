// The Help menu's texts that differ on Linux: the desktop entry's file name
// and the advice for a README.TXT the desktop could not open.
#include "sysinfo/HelpCommands.h"

namespace tarnwell {

const char* const ShortcutFileName = "Tarnwell.desktop";
const char* const ReadmeEditorAdvice = "テキストエディタなどで開いてみてください";

}  // namespace tarnwell
