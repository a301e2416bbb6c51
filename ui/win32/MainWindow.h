// The main window on native Windows controls: built from the layout table,
// wired from the event table, and handing every event to the toolkit-neutral
// TFormMain.
#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "ui/AppServices.h"
#include "ui/frmMain.h"
#include "ui/win32/WinControls.h"

namespace tarnwell::ui::win32 {

class MainWindow {
public:
  MainWindow(AppServices& services, MessageBoxes& boxes);
  // The form first (it stops a run), then the window and its fonts.
  ~MainWindow();
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Runs the form's creation handler.
  void Create();
  TFormMain& Form() { return *form_; }
  HWND Handle() const { return window_; }
  // The control named in the layout table ("MemoResult" and "LabelProgress"
  // too); nullptr for an unknown name.
  HWND Control(std::string_view name) const;
  // The command identifier of a menu item of the menu table; 0 if unknown.
  static UINT MenuCommand(std::string_view name);

private:
  struct Adapters;
  template <class Owner>
  friend LRESULT CALLBACK ForwardToOwner(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void BuildControls();
  void BuildMenu();
  void Layout();
  void Command(UINT id, UINT code);
  void Dispatch(std::string_view control, bool closeUp);
  int Scaled(int value) const;

  MessageBoxes& boxes_;
  HWND window_ = nullptr;
  HWND panel_ = nullptr;
  HWND memo_ = nullptr;
  HWND status_ = nullptr;
  HWND focus_ = nullptr;
  HFONT font_ = nullptr;
  HFONT memoFont_ = nullptr;
  double scale_ = 1.0;
  bool closing_ = false;
  std::vector<HWND> controls_;  // by index in the layout table
  std::unique_ptr<Adapters> adapters_;
  std::unique_ptr<TFormMain> form_;
};

}  // namespace tarnwell::ui::win32
