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
#include "ui/qt/QtControls.h"
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

// From this call on, a request to end the program (logout, a closed session,
// Ctrl+C in the terminal that started it) closes the main window as its close
// box does: the run stops and cleans up as chosen, the settings are saved.
// No message box waits for a user any more: an open one closes, and a later
// one (a settings file that cannot be written) goes to stderr. Then the
// event loop ends.
void CloseOnQuitRequest(Windows& windows, QtMessageBoxes& boxes);

}  // namespace tarnwell::ui::qt
