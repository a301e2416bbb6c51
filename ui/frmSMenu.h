// The Start-menu dialog's logic: created at start-up after the main window,
// shown modally from the Help menu.
#pragma once

#include "ui/Controls.h"

namespace tarnwell::ui {

struct TFormStartMenuControls {
  Window& Form;
  MessageBoxes& Boxes;
};

class TFormStartMenu {
public:
  explicit TFormStartMenu(const TFormStartMenuControls& controls);

  void FormCreate();
  void ShowModal();

private:
  TFormStartMenuControls c_;
};

}  // namespace tarnwell::ui
