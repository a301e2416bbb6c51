// A window's outer bounds in the settings file: four keys of one section,
// applied one at a time as read and written from the current rectangle.
#pragma once

#include <string_view>

#include "platform/IniFile.h"
#include "ui/Controls.h"

namespace tarnwell::ui {

// Reads "Top", "Left", "Width", "Height" (each defaulting to `defaults`) and
// applies each to `window` at once, in that order.
void LoadWindowBounds(const platform::IniFile& ini, std::string_view section,
                      const Bounds& defaults, Window& window);

// Writes the window's current bounds under the same four keys.
void SaveWindowBounds(platform::IniFile& ini, std::string_view section, const Window& window);

}  // namespace tarnwell::ui
