// The program's three windows on Qt.
#include "ui/qt/Windows.h"

#include <QApplication>
#include <utility>

#include "platform/Signals.h"
#include "ui/HandlerGuard.h"

namespace tarnwell::ui::qt {

Windows::Windows(AppServices& services, MessageBoxes& boxes,
                 std::function<FolderRoots()> folderRoots) {
  main_ = std::make_unique<MainWindow>(services, boxes);
  main_->Create();

  startMenuWindow_ = std::make_unique<StartMenuDialog>(main_.get(), services, boxes);
  startMenuWindow_->Create();

  folderWindow_ =
      std::make_unique<FolderDialog>(main_.get(), services, boxes, std::move(folderRoots));
  folderWindow_->Create();

  main_->Form().AttachForms(folderWindow_->Form(), startMenuWindow_->Form());
}

Windows::~Windows() {
  // The dialogs are the main window's children: they go before it does, and
  // the main window's form (which stops a run) goes before its controls.
  folderWindow_.reset();
  startMenuWindow_.reset();
  main_.reset();
}

void CloseOnQuitRequest(Windows& windows, QtMessageBoxes& boxes) {
  platform::WatchQuitSignals([&windows, &boxes] {
    QMetaObject::invokeMethod(
        qApp,
        [&windows, &boxes] {
          boxes.StopWaiting();
          windows.Main().close();
          QCoreApplication::quit();
        },
        Qt::QueuedConnection);
  });
}

}  // namespace tarnwell::ui::qt
