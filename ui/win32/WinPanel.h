// A raised panel without caption that holds controls and passes their
// notifications on to the window it sits in, so that the window handles
// every control's events in one place.
#pragma once

#include <windows.h>

namespace tarnwell::ui::win32 {

HWND CreatePanel(HWND parent, int id);

// Registers a top-level window class once per process; returns its name.
const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

}  // namespace tarnwell::ui::win32
