// Handing a file or an address to the desktop, which opens it with the
// application the user chose for that kind of file or address.
#pragma once

#include <chrono>
#include <string>

#include "platform/Error.h"

namespace tarnwell::platform {

// How long OpenWithDesktop waits for the opener's verdict. Openers return
// once they have handed the file on; one that takes longer is taken to be
// showing the file itself.
inline constexpr std::chrono::milliseconds DesktopHandOffWait{3000};

// Opens a file path or a URL with the desktop's default application, without
// waiting for that application. Not Ok() when no opener is installed or the
// opener reports failure (a missing file, no application for the type)
// within `wait`. Never leaves a zombie process behind. On Windows the shell
// (ShellExecuteW) gives its verdict before it returns and `wait` is unused.
Status OpenWithDesktop(const std::string& pathOrUrl,
                       std::chrono::milliseconds wait = DesktopHandOffWait);

// What a menu calls opening a folder with OpenWithDesktop, in the system's
// own words: "ファイルマネージャで開く(&O)"; on Windows "エクスプローラーで開く(&O)".
const char* OpenFolderCommandText();

}  // namespace tarnwell::platform
