// The Start-menu dialog's logic.
#include "ui/frmSMenu.h"

namespace tarnwell::ui {

TFormStartMenu::TFormStartMenu(const TFormStartMenuControls& controls) : c_(controls) {}

void TFormStartMenu::FormCreate() {}

void TFormStartMenu::ShowModal() { c_.Form.ShowModal(); }

}  // namespace tarnwell::ui
