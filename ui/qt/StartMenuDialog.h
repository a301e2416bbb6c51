// The application-menu dialog on Qt Widgets: a captioned group of two radio
// buttons above "キャンセル" and "OK", a fixed frame without a close box,
// scaled to the real font like the other windows, bound to TFormStartMenu.
#pragma once

#include <memory>

#include "ui/AppServices.h"
#include "ui/Controls.h"
#include "ui/frmSMenu.h"
#include "ui/qt/ModalWindow.h"

namespace tarnwell::ui::qt {

class StartMenuDialog : public ModalWindow {
public:
  StartMenuDialog(QWidget* parent, AppServices& services, MessageBoxes& boxes);
  ~StartMenuDialog() override;

  TFormStartMenu& Form() { return *form_; }
  // FormCreate, with its errors in the error box.
  void Create();

protected:
  // Focus starts on the radio group's chosen item, never on a button.
  void showEvent(QShowEvent* event) override;

private:
  struct Adapters;

  // Places the controls, giving texts in the real font the room they need.
  void Relayout();

  MessageBoxes& boxes_;
  std::unique_ptr<Adapters> adapters_;
  std::unique_ptr<TFormStartMenu> form_;
};

}  // namespace tarnwell::ui::qt
