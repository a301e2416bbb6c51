// The dialog that asks whose application menu gets the program's entry: the
// current user's or every user's. Created once at start-up, after the main
// window; its choice and whether it was cancelled carry over between
// showings until a button changes them.
#pragma once

#include "ui/AppServices.h"
#include "ui/Controls.h"
#include "ui/FormTexts.h"

namespace tarnwell::ui {

// The dialog as designed: its outer frame and controls in pixels at 96 dpi
// with a 12-pixel window font; the group's own font in points.
struct FormStartMenuDesign {
  static constexpr int Left = 309;
  static constexpr int Top = 138;
  static constexpr int Width = 448;
  static constexpr int Height = 165;
  static constexpr int GroupLeft = 8;
  static constexpr int GroupTop = 8;
  static constexpr int GroupWidth = 425;
  static constexpr int GroupHeight = 89;
  static constexpr int ButtonTop = 104;
  static constexpr int ButtonWidth = 81;
  static constexpr int ButtonHeight = 25;
  static constexpr int OkLeft = 352;
  static constexpr int CancelLeft = 264;
  static constexpr int RightMargin = 7;
  static constexpr int BottomMargin = 9;
  static constexpr int GroupFontPoints = 12;
};

struct TFormStartMenuControls {
  Window& Form;
  RadioGroup& RadioGroupMain;
  Button& ButtonOK;
  Button& ButtonCancel;
  MessageBoxes& Boxes;
};

class TFormStartMenu {
public:
  TFormStartMenu(const TFormStartMenuControls& controls, AppServices& services);

  // Set by the buttons only; both false until one is pressed.
  bool AllUsers = false;
  bool Cancelled = false;

  // Texts and choices; reads the user name once, for the whole session.
  void FormCreate();
  void ButtonOKClick();
  void ButtonCancelClick();
  // However the dialog closed. A close that no button asked for (a window
  // manager's close command) counts as "キャンセル", so that nothing is
  // written on a choice the user never confirmed.
  void FormClose();

  // Shows the dialog modally with its frame's corner at (left, top).
  void ShowModalAt(int left, int top);

private:
  TFormStartMenuControls c_;
  AppServices& services_;
  bool closedByButton_ = false;
};

}  // namespace tarnwell::ui
