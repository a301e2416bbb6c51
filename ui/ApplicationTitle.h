// The application title: the caption of the program's message boxes and its
// taskbar entry, made from the executable's file name.
#pragma once

#include <string>

namespace tarnwell::ui {

// The file name up to its first ".", the first character as it is and the
// others in lower case ("TARNWELL.bin" gives "Tarnwell").
std::string ApplicationTitle(const std::string& executableFileName);

}  // namespace tarnwell::ui
