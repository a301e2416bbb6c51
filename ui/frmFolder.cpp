// The folder chooser window's logic.
#include "ui/frmFolder.h"

#include <exception>

#include "platform/IniFile.h"
#include "ui/frmMain.h"

namespace tarnwell::ui {
namespace {

constexpr const char* Section = "FolderWindow";

}  // namespace

TFormFolder::TFormFolder(const TFormFolderControls& controls, AppServices& services)
    : c_(controls), services_(services) {}

void TFormFolder::FormCreate() {
  const platform::IniFile ini(services_.SettingsPath());
  c_.Form.SetTop(ini.ReadInteger(Section, "Top", 200));
  c_.Form.SetLeft(ini.ReadInteger(Section, "Left", 200));
  c_.Form.SetWidth(ini.ReadInteger(Section, "Width", 400));
  c_.Form.SetHeight(ini.ReadInteger(Section, "Height", 300));
}

void TFormFolder::FormClose() {
  bool saved = false;
  try {
    platform::IniFile ini(services_.SettingsPath());
    const Bounds bounds = c_.Form.GetBounds();
    ini.WriteInteger(Section, "Top", bounds.Top);
    ini.WriteInteger(Section, "Left", bounds.Left);
    ini.WriteInteger(Section, "Width", bounds.Width);
    ini.WriteInteger(Section, "Height", bounds.Height);
    saved = ini.UpdateFile();
  } catch (const std::exception&) {
    saved = false;
  }
  if (!saved) c_.Boxes.ShowMessage(FormMainTexts::SaveFailed);
}

void TFormFolder::ShowModal() { c_.Form.ShowModal(); }

}  // namespace tarnwell::ui
