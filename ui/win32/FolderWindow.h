// The folder chooser on native Windows controls: a tree view over the
// folders, and the bottom panel with "キャンセル" (Esc) and "OK" (Enter),
// handing its events to the toolkit-neutral TFormFolder.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "ui/AppServices.h"
#include "ui/FolderTree.h"
#include "ui/frmFolder.h"
#include "ui/win32/WinControls.h"
#include "ui/win32/WinTreeView.h"

namespace tarnwell::ui::win32 {

class FolderWindow {
public:
  FolderWindow(HWND owner, AppServices& services, MessageBoxes& boxes, HFONT font,
               std::function<FolderRoots()> roots);
  ~FolderWindow();
  FolderWindow(const FolderWindow&) = delete;
  FolderWindow& operator=(const FolderWindow&) = delete;

  void Create();
  TFormFolder& Form() { return *form_; }
  HWND Handle() const { return window_; }

private:
  template <class Owner>
  friend LRESULT CALLBACK ForwardToOwner(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void Layout();
  void ContextMenu(POINT screen);

  HWND window_ = nullptr;
  HWND panel_ = nullptr;
  HWND focus_ = nullptr;  // the control to focus when the window is activated
  MessageBoxes& boxes_;
  WinWindow windowAdapter_;
  WinTreeView tree_;
  std::unique_ptr<TFormFolder> form_;
  TreeItem editedItem_ = NoTreeItem;
  std::string editedText_;
};

}  // namespace tarnwell::ui::win32
