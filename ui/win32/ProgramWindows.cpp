// The program's three windows on Windows.
#include "ui/win32/ProgramWindows.h"

#include <utility>

#include "ui/win32/WinFonts.h"

namespace tarnwell::ui::win32 {

ProgramWindows::ProgramWindows(AppServices& services, MessageBoxes& boxes,
                               std::function<FolderRoots()> folderRoots)
    : font_(CreateWindowFont()) {
  main_ = std::make_unique<MainWindow>(services, boxes);
  main_->Create();
  startMenu_ = std::make_unique<StartMenuWindow>(main_->Handle(), services, boxes, font_);
  startMenu_->Create();
  folder_ = std::make_unique<FolderWindow>(main_->Handle(), services, boxes, font_,
                                           std::move(folderRoots));
  folder_->Create();
  main_->Form().AttachForms(folder_->Form(), startMenu_->Form());
}

ProgramWindows::~ProgramWindows() {
  // The owned windows go before their owner, and the main window's form
  // (which stops a run) before its controls.
  folder_.reset();
  startMenu_.reset();
  main_.reset();
  ::DeleteObject(font_);
}

}  // namespace tarnwell::ui::win32
