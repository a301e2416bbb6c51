// A secondary window: a dialog that lives from start-up to exit, is shown
// modally and only hidden when it closes, so what it holds carries over.
#pragma once

#include <QDialog>
#include <functional>

namespace tarnwell::ui::qt {

class ModalWindow : public QDialog {
public:
  explicit ModalWindow(QWidget* parent = nullptr) : QDialog(parent) {}
  // Called however the window closes: a button, Escape, the close box.
  std::function<void()> onClose;
  void done(int result) override {
    if (onClose) onClose();
    QDialog::done(result);
  }
};

}  // namespace tarnwell::ui::qt
