// The Help menu's texts that differ on Windows: the shell link's file name
// and the advice, naming Notepad, for a README.TXT the shell could not open.
#include "sysinfo/HelpCommands.h"

namespace tarnwell {

const char* const ShortcutFileName = "Tarnwell.lnk";
const char* const ReadmeEditorAdvice = "Windows付属のメモ帳（notepad.exe）などで開いてみてください";

}  // namespace tarnwell
