// The dialog that asks whose application menu gets the program's entry: the
// current user's or every user's. Created once at start-up, after the main
// window; its choice and whether it was cancelled carry over between
// showings until a button changes them.
#pragma once

#include "ui/AppServices.h"
#include "ui/Controls.h"

namespace tarnwell::ui {

namespace FormStartMenuTexts {
inline constexpr const char* Caption = "だれのスタートメニュー？";
inline constexpr const char* OK = "OK";
inline constexpr const char* Cancel = "キャンセル";
inline constexpr const char* Question = "どなたのスタートメニューに追加しますか？";
inline constexpr const char* CurrentUserBefore = "現ユーザー（";
inline constexpr const char* CurrentUserAfter = "）のスタートメニュー";
inline constexpr const char* AllUsers = "全ユーザーのスタートメニュー";
}  // namespace FormStartMenuTexts

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
