// What the Help menu's commands open and the messages they show when that
// fails: README.TXT, the web page and the application-menu entry.
#pragma once

#include <string>

namespace tarnwell {

// The address of the program's web page, fixed when the build is configured
// (TARNWELL_WEB_ADDRESS; by default the HTML manual installed with it, on
// Windows the manual.html beside the executable).
std::string WebAddress();

// "<path>を開けませんでした。" CR LF and advice to try a text editor (on
// Windows, Notepad).
std::string ReadmeOpenFailedMessage(const std::string& readmePath);
// "<address>を開けませんでした", one line without a full stop.
std::string WebOpenFailedMessage(const std::string& address);

// The file name of the application-menu entry and its name in the menu.
#ifdef _WIN32
inline constexpr const char* ShortcutFileName = "Tarnwell.lnk";
#else
inline constexpr const char* ShortcutFileName = "Tarnwell.desktop";
#endif
inline constexpr const char* ShortcutDescription = "Tarnwell";
// The entry's path in `programsFolder`.
std::string ShortcutPath(const std::string& programsFolder);

// When the application-menu folder can be neither found nor made.
inline constexpr const char* ProgramsFolderFailedMessage =
    "エラー：SHGetSpecialFolderPathの実行に失敗しました";
// When the entry cannot be written; the exception's own text is not shown.
inline constexpr const char* ShortcutFailedMessage = "エラー：ショートカットを作成できませんでした";

}  // namespace tarnwell
