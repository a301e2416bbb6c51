// The control interfaces on Qt widgets: each adapter wraps one widget (or
// menu action) that the window owns, and converts texts between UTF-8 and
// QString. Also the GUI thread's queue on Qt's event loop and the message
// boxes.
#pragma once

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace tarnwell::ui::qt {

inline QString ToQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string ToStdString(const QString& text) { return text.toStdString(); }

// A drop-down list that reports when the user closes its open list, whether
// or not the selection changed. Keyboard and wheel changes while it is
// closed do not report, and neither does hiding, minimising or closing the
// window, for which Qt also calls hidePopup().
class CloseUpComboBox : public QComboBox {
public:
  explicit CloseUpComboBox(QWidget* parent) : QComboBox(parent) {}
  std::function<void()> onCloseUp;
  void showPopup() override;
  void hidePopup() override;

protected:
  void hideEvent(QHideEvent* event) override;

private:
  bool open_ = false;    // the list is dropped down
  bool hiding_ = false;  // the control itself is going out of sight
};

// Enabled state for a widget or an action.
template <class Interface, class Object>
class QtControl : public Interface {
public:
  explicit QtControl(Object* object) : object_(object) {}
  bool Enabled() const override { return object_->isEnabled(); }
  void SetEnabled(bool enabled) override { object_->setEnabled(enabled); }
  Object* Widget() const { return object_; }

protected:
  Object* object_;
};

class QtDropDownList : public QtControl<DropDownList, QComboBox> {
public:
  using QtControl::QtControl;
  int ItemIndex() const override { return object_->currentIndex(); }
  void SetItemIndex(int index) override { object_->setCurrentIndex(index); }
  int Count() const override { return object_->count(); }
  std::string Item(int index) const override { return ToStdString(object_->itemText(index)); }
};

class QtCheckBox : public QtControl<CheckBox, QCheckBox> {
public:
  using QtControl::QtControl;
  bool Checked() const override { return object_->isChecked(); }
  void SetChecked(bool checked) override { object_->setChecked(checked); }
};

// A file name may hold bytes that are not UTF-8; the edit can only show them
// as replacement characters. Until the user changes the text, Text() gives
// back the exact bytes that SetText() received.
class QtEdit : public QtControl<Edit, QLineEdit> {
public:
  using QtControl::QtControl;
  std::string Text() const override {
    return object_->text() == shown_ ? original_ : ToStdString(object_->text());
  }
  void SetText(const std::string& text) override {
    original_ = text;
    shown_ = ToQString(text);
    object_->setText(shown_);
  }

private:
  std::string original_;
  QString shown_;
};

class QtLabel : public Label {
public:
  // A label that sizes itself to its text, or one that a layout sizes.
  QtLabel(QLabel* label, bool autoSize) : label_(label), autoSize_(autoSize) {}
  std::string Caption() const override { return ToStdString(label_->text()); }
  void SetCaption(const std::string& caption) override;

private:
  QLabel* label_;
  bool autoSize_;
};

// Shows CR LF line ends as Qt's own and gives them back as CR LF.
class QtMemo : public Memo {
public:
  explicit QtMemo(QPlainTextEdit* memo) : memo_(memo) {}
  std::string Text() const override;
  void SetText(const std::string& text) override;

private:
  QPlainTextEdit* memo_;
};

class QtButton : public QtControl<Button, QPushButton> {
public:
  using QtControl::QtControl;
  std::string Caption() const override { return ToStdString(object_->text()); }
  void SetCaption(const std::string& caption) override;
};

class QtMenuItem : public QtControl<MenuItem, QAction> {
public:
  using QtControl::QtControl;
};

class QtCheckMenuItem : public QtControl<CheckMenuItem, QAction> {
public:
  using QtControl::QtControl;
  bool Checked() const override { return object_->isChecked(); }
  void SetChecked(bool checked) override { object_->setChecked(checked); }
};

// A top-level window. Left and Top are the frame's corner, as the window
// manager places it; Width and Height are the window's own size, which
// unlike the frame is known before the window is first shown, so the
// bounds read back exactly as they were saved.
class QtWindow : public Window {
public:
  explicit QtWindow(QWidget* window) : window_(window) {}
  void SetCaption(const std::string& caption) override;
  Bounds GetBounds() const override;
  void SetLeft(int left) override;
  void SetTop(int top) override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  void Close() override { window_->close(); }
  // Runs a dialog's own event loop; any other window is just shown.
  void ShowModal() override;

private:
  QWidget* window_;
};

// The platform's standard save dialog.
class QtSaveDialog : public SaveDialog {
public:
  explicit QtSaveDialog(QWidget* parent) : parent_(parent) {}
  std::string AskSavePath(const std::string& title, const std::string& suggestedName,
                          const std::string& filterText) override;

private:
  QWidget* parent_;
};

class QtMessageBoxes : public MessageBoxes {
public:
  QtMessageBoxes(std::string title, QWidget* parent = nullptr)
      : title_(std::move(title)), parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  // The program is asked to end: every open box closes as if OK had been
  // pressed, and every later text goes to stderr instead of a box that
  // would wait for someone to press OK.
  void StopWaiting() override;

private:
  void Show(QMessageBox::Icon icon, const std::string& text);

  std::string title_;
  QWidget* parent_;
  std::vector<QMessageBox*> open_;  // innermost last
  bool stopWaiting_ = false;
};

// Tasks run on the thread of `context` in its event loop; those still queued
// when `context` is destroyed are dropped with it.
class QtGuiThread : public GuiThread {
public:
  explicit QtGuiThread(QObject* context);
  void Post(std::function<void()> task) override;
  void StartTicker(int milliseconds, std::function<void()> tick) override;
  void StopTicker() override;

private:
  QObject* context_;
  QTimer* ticker_;
  std::function<void()> tick_;
};

}  // namespace tarnwell::ui::qt
