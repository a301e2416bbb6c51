// The program's three windows on Windows, created in start-up order: the
// main window, then the Start-menu dialog, then the folder chooser, each
// running its creation handler as soon as its controls exist.
#pragma once

#include <functional>
#include <memory>

#include "ui/AppServices.h"
#include "ui/FolderTree.h"
#include "ui/win32/FolderWindow.h"
#include "ui/win32/MainWindow.h"
#include "ui/win32/StartMenuWindow.h"

namespace tarnwell::ui::win32 {

class ProgramWindows {
public:
  // `folderRoots` says where the folder chooser's tree starts.
  ProgramWindows(AppServices& services, MessageBoxes& boxes,
                 std::function<FolderRoots()> folderRoots = SystemFolderRoots);
  ~ProgramWindows();

  MainWindow& Main() { return *main_; }
  FolderWindow& Folder() { return *folder_; }
  StartMenuWindow& StartMenu() { return *startMenu_; }

private:
  HFONT font_;
  std::unique_ptr<MainWindow> main_;
  std::unique_ptr<StartMenuWindow> startMenu_;
  std::unique_ptr<FolderWindow> folder_;
};

}  // namespace tarnwell::ui::win32
