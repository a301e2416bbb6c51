// The folder chooser on Qt Widgets: the folder tree above a bottom panel
// with "キャンセル" and "OK", scaled to the real font like the main window,
// bound to TFormFolder. Lazy loading, in-place renaming and the context
// menu of the tree are routed to the form's handlers.
#pragma once

#include <QPoint>
#include <functional>
#include <memory>

#include "ui/AppServices.h"
#include "ui/Controls.h"
#include "ui/FolderTree.h"
#include "ui/frmFolder.h"
#include "ui/qt/ModalWindow.h"

namespace tarnwell::ui::qt {

class FolderDialog : public ModalWindow {
public:
  FolderDialog(QWidget* parent, AppServices& services, MessageBoxes& boxes,
               std::function<FolderRoots()> roots = SystemFolderRoots);
  ~FolderDialog() override;

  TFormFolder& Form() { return *form_; }
  // FormCreate, with its errors in the error box.
  void Create();
  // The factor applied to the designed positions and sizes.
  double Scale() const { return scale_; }

private:
  struct Adapters;

  void ShowContextMenu(const QPoint& position);

  MessageBoxes& boxes_;
  double scale_ = 1;
  std::unique_ptr<Adapters> adapters_;
  std::unique_ptr<TFormFolder> form_;
};

}  // namespace tarnwell::ui::qt
