// The folder chooser window's logic. It lives from start-up to exit, is
// shown modally on request and keeps its bounds in the settings file.
#pragma once

#include "ui/AppServices.h"
#include "ui/Controls.h"

namespace tarnwell::ui {

struct TFormFolderControls {
  Window& Form;
  MessageBoxes& Boxes;
};

class TFormFolder {
public:
  TFormFolder(const TFormFolderControls& controls, AppServices& services);

  // Reads the window's bounds from the settings file.
  void FormCreate();
  // Saves the bounds. A failed save is reported and never keeps the window
  // from closing: a modal window that cannot close would lock the program.
  void FormClose();
  void ShowModal();

private:
  TFormFolderControls c_;
  AppServices& services_;
};

}  // namespace tarnwell::ui
