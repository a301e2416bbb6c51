// The main window on Qt Widgets: builds the controls, the menu and the
// fonts from the layout table, scales them to the real font, binds them to
// TFormMain's control interfaces and routes every event to its handler.
#pragma once

#include <QMainWindow>
#include <memory>
#include <string_view>

#include "ui/AppServices.h"
#include "ui/Controls.h"
#include "ui/frmMain.h"
#include "ui/qt/QtControls.h"

class QCloseEvent;

namespace tarnwell::ui::qt {

class MainWindow : public QMainWindow {
public:
  MainWindow(AppServices& services, MessageBoxes& boxes);
  ~MainWindow() override;

  TFormMain& Form() { return *form_; }
  // FormCreate, with its errors in the error box.
  void Create();
  // The factor applied to the designed positions and sizes.
  double Scale() const { return scale_; }

protected:
  void closeEvent(QCloseEvent* event) override;

private:
  struct Adapters;

  void BuildControls(QWidget* panel);
  void BuildMenu();
  void Connect();
  template <class Widget>
  Widget* Find(std::string_view name) const;

  double scale_ = 1;
  std::unique_ptr<Adapters> adapters_;
  std::unique_ptr<TFormMain> form_;
};

}  // namespace tarnwell::ui::qt
