// The text of a desktop entry that starts a program from the desktop's
// application menu, with every value escaped as desktop entries require.
#pragma once

#include <optional>
#include <string>

namespace tarnwell {

// The icon name the package installs into the icon theme.
inline constexpr const char* ProgramIconName = "tarnwell";

// One argument of an Exec line: quoted when it holds a reserved character
// (blank, quote, "$", "\", ...), with "\", '"', "`" and "$" escaped inside the
// quotes and every "%" doubled, so that no field code can arise from it. The
// result still needs ValueText() to be written into the file.
std::string ExecArgument(const std::string& argument);

// `value` as a desktop entry string value: "\", tab, newline and CR escaped,
// blanks at either end written as "\s" so that no reader trims them.
std::string ValueText(const std::string& value);

// A desktop entry of type Application named and described by `description`
// that runs `targetPath` in its own folder (the target's folder part, closing
// "/" included; no Path key when it has none). Nothing when `targetPath` is
// empty, or either text is not UTF-8 or holds a control character other than
// tab, newline and CR: a desktop entry cannot carry those, and a damaged
// entry would silently not start the program.
std::optional<std::string> DesktopEntryText(const std::string& targetPath,
                                            const std::string& description);

}  // namespace tarnwell
