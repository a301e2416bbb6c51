// The fonts of the windows on Windows: the designed faces when installed,
// else a Japanese face and a fixed-pitch face that are, and the scale the
// layout takes from the window font's real height.
#pragma once

#include <windows.h>

namespace tarnwell::ui::win32 {

// The designed height scaled with the screen's dots per inch.
HFONT CreateWindowFont();
HFONT CreateMemoFont();
// The font of the Start-menu dialog's group: 12 points.
HFONT CreateGroupFont();
// The window font's text height over the designed 12 pixels.
double LayoutScale(HFONT windowFont);
int ScreenDpi();

}  // namespace tarnwell::ui::win32
