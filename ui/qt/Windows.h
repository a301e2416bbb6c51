// The program's three windows on Qt, created in start-up order: the main
// window, then the Start-menu dialog, then the folder chooser, each running
// its creation handler as soon as its controls exist.
#pragma once

#include <functional>
#include <memory>

#include "ui/AppServices.h"
#include "ui/Controls.h"
#include "ui/FolderTree.h"
#include "ui/frmFolder.h"
#include "ui/frmSMenu.h"
#include "ui/qt/FolderDialog.h"
#include "ui/qt/MainWindow.h"
#include "ui/qt/StartMenuDialog.h"

namespace tarnwell::ui::qt {

class Windows {
public:
  // `folderRoots` says where the folder chooser's tree starts.
  Windows(AppServices& services, MessageBoxes& boxes,
          std::function<FolderRoots()> folderRoots = SystemFolderRoots);
  ~Windows();

  MainWindow& Main() { return *main_; }
  FolderDialog& FolderWindow() { return *folderWindow_; }
  StartMenuDialog& StartMenuWindow() { return *startMenuWindow_; }

private:
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<StartMenuDialog> startMenuWindow_;
  std::unique_ptr<FolderDialog> folderWindow_;
};

}  // namespace tarnwell::ui::qt
