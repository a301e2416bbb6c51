// A window's bounds in the settings file.
#include "ui/WindowBounds.h"

namespace tarnwell::ui {

void LoadWindowBounds(const platform::IniFile& ini, std::string_view section,
                      const Bounds& defaults, Window& window) {
  window.SetTop(ini.ReadInteger(section, "Top", defaults.Top));
  window.SetLeft(ini.ReadInteger(section, "Left", defaults.Left));
  window.SetWidth(ini.ReadInteger(section, "Width", defaults.Width));
  window.SetHeight(ini.ReadInteger(section, "Height", defaults.Height));
}

void SaveWindowBounds(platform::IniFile& ini, std::string_view section, const Window& window) {
  const Bounds bounds = window.GetBounds();
  ini.WriteInteger(section, "Top", bounds.Top);
  ini.WriteInteger(section, "Left", bounds.Left);
  ini.WriteInteger(section, "Width", bounds.Width);
  ini.WriteInteger(section, "Height", bounds.Height);
}

}  // namespace tarnwell::ui
