// The application-menu dialog's logic.
#include "ui/frmSMenu.h"

namespace tarnwell::ui {

TFormStartMenu::TFormStartMenu(const TFormStartMenuControls& controls, AppServices& services)
    : c_(controls), services_(services) {}

void TFormStartMenu::FormCreate() {
  namespace T = FormStartMenuTexts;
  c_.Form.SetCaption(T::Caption);
  c_.ButtonCancel.SetCaption(T::Cancel);
  c_.ButtonOK.SetCaption(T::OK);
  c_.RadioGroupMain.SetCaption(T::Question);
  // A failure here reaches the error box; the items and the selection then
  // stay unset, as far as set-up had come.
  const std::string user = services_.LoginUserName();
  c_.RadioGroupMain.SetItems({T::CurrentUserBefore + user + T::CurrentUserAfter, T::AllUsers});
  c_.RadioGroupMain.SetItemIndex(0);
}

void TFormStartMenu::ButtonOKClick() {
  AllUsers = c_.RadioGroupMain.ItemIndex() != 0;
  Cancelled = false;
  closedByButton_ = true;
  c_.Form.Close();
}

void TFormStartMenu::ButtonCancelClick() {
  Cancelled = true;
  closedByButton_ = true;
  c_.Form.Close();
}

void TFormStartMenu::FormClose() {
  if (!closedByButton_) Cancelled = true;
  closedByButton_ = false;
}

void TFormStartMenu::ShowModalAt(int left, int top) {
  closedByButton_ = false;
  c_.Form.SetLeft(left);
  c_.Form.SetTop(top);
  c_.Form.ShowModal();
}

}  // namespace tarnwell::ui
