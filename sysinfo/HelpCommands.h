// What the Help menu's commands open and the messages they show when that
// fails: README.TXT, the web page and the application-menu entry. What
// differs between systems is in sysinfo/posix/ and sysinfo/win32/.
#pragma once

#include <string>

namespace tarnwell {

// The address of the program's web page, fixed when the build is configured
// (TARNWELL_WEB_ADDRESS; by default the HTML manual installed with it, on
// Windows the manual.html beside the executable).
std::string WebAddress();

// "<path>を開けませんでした。" CR LF and ReadmeEditorAdvice.
std::string ReadmeOpenFailedMessage(const std::string& readmePath);
// Advice to open README.TXT with a text editor: on Windows it names Notepad.
extern const char* const ReadmeEditorAdvice;
// "<address>を開けませんでした", one line without a full stop.
std::string WebOpenFailedMessage(const std::string& address);

// The file name of the application-menu entry ("Tarnwell.desktop"; on
// Windows the shell link "Tarnwell.lnk") and its name in the menu.
extern const char* const ShortcutFileName;
inline constexpr const char* ShortcutDescription = "Tarnwell";
// The entry's path in `programsFolder`.
std::string ShortcutPath(const std::string& programsFolder);

// When the application-menu folder can be neither found nor made.
inline constexpr const char* ProgramsFolderFailedMessage =
    "エラー：SHGetSpecialFolderPathの実行に失敗しました";
// When the entry cannot be written; the exception's own text is not shown.
inline constexpr const char* ShortcutFailedMessage = "エラー：ショートカットを作成できませんでした";

}  // namespace tarnwell
