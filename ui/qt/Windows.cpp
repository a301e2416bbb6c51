// The program's three windows on Qt.
#include "ui/qt/Windows.h"

#include "ui/HandlerGuard.h"

namespace tarnwell::ui::qt {

Windows::Windows(AppServices& services, MessageBoxes& boxes) {
  main_ = std::make_unique<MainWindow>(services, boxes);
  main_->Create();

  startMenuWindow_ = std::make_unique<ModalWindow>(main_.get());
  startMenuWindow_->setObjectName(QStringLiteral("FormStartMenu"));
  startMenuAdapter_ = std::make_unique<QtWindow>(startMenuWindow_.get());
  formStartMenu_ = std::make_unique<TFormStartMenu>(
      TFormStartMenuControls{.Form = *startMenuAdapter_, .Boxes = boxes});
  RunHandler(boxes, [&] { formStartMenu_->FormCreate(); });

  folderWindow_ = std::make_unique<ModalWindow>(main_.get());
  folderWindow_->setObjectName(QStringLiteral("FormFolder"));
  folderAdapter_ = std::make_unique<QtWindow>(folderWindow_.get());
  formFolder_ = std::make_unique<TFormFolder>(
      TFormFolderControls{.Form = *folderAdapter_, .Boxes = boxes}, services);
  RunHandler(boxes, [&] { formFolder_->FormCreate(); });
  folderWindow_->onClose = [this, &boxes] { RunHandler(boxes, [&] { formFolder_->FormClose(); }); };

  main_->Form().AttachForms(*formFolder_, *formStartMenu_);
}

Windows::~Windows() {
  // The dialogs are the main window's children: they go before it does, and
  // the main window's form (which stops a run) goes before its controls.
  folderWindow_.reset();
  startMenuWindow_.reset();
  main_.reset();
}

}  // namespace tarnwell::ui::qt
