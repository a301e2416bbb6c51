// The Start-menu dialog on native Windows controls: a fixed dialog frame
// without border icons, the radio group and "OK" (Enter) and "キャンセル"
// (Esc), handing its events to the toolkit-neutral TFormStartMenu.
#pragma once

#include <windows.h>

#include <memory>

#include "ui/AppServices.h"
#include "ui/frmSMenu.h"
#include "ui/win32/WinControls.h"

namespace tarnwell::ui::win32 {

class StartMenuWindow {
public:
  StartMenuWindow(HWND owner, AppServices& services, MessageBoxes& boxes, HFONT font);
  ~StartMenuWindow();
  StartMenuWindow(const StartMenuWindow&) = delete;
  StartMenuWindow& operator=(const StartMenuWindow&) = delete;

  void Create();
  TFormStartMenu& Form() { return *form_; }
  HWND Handle() const { return window_; }
  // The radio buttons, in item order.
  const std::vector<HWND>& Items() const { return group_->Buttons(); }

private:
  template <class Owner>
  friend LRESULT CALLBACK ForwardToOwner(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  HFONT groupFont_ = nullptr;
  MessageBoxes& boxes_;
  WinWindow windowAdapter_;
  std::unique_ptr<WinRadioGroup> group_;
  WinButton ok_;
  WinButton cancel_;
  std::unique_ptr<TFormStartMenu> form_;
};

}  // namespace tarnwell::ui::win32
