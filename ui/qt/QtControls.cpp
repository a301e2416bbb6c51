// The Qt adapters of the control interfaces.
#include "ui/qt/QtControls.h"

#include <QDialog>
#include <QMessageBox>
#include <QMetaObject>

namespace tarnwell::ui::qt {

void CloseUpComboBox::hidePopup() {
  QComboBox::hidePopup();
  // After the popup has gone: the handler may open a message box.
  if (onCloseUp) QMetaObject::invokeMethod(this, onCloseUp, Qt::QueuedConnection);
}

void QtLabel::SetCaption(const std::string& caption) {
  label_->setText(ToQString(caption));
  if (autoSize_) label_->adjustSize();
}

std::string QtMemo::Text() const {
  QString text = memo_->toPlainText();
  text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
  return ToStdString(text);
}

void QtMemo::SetText(const std::string& text) {
  QString shown = ToQString(text);
  shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  memo_->setPlainText(shown);
}

void QtButton::SetCaption(const std::string& caption) { object_->setText(ToQString(caption)); }

void QtWindow::SetCaption(const std::string& caption) {
  window_->setWindowTitle(ToQString(caption));
}

Bounds QtWindow::GetBounds() const {
  const QRect rect = window_->isMinimized() ? window_->normalGeometry() : window_->geometry();
  const QPoint corner = window_->isMinimized() ? rect.topLeft() : window_->pos();
  return Bounds{corner.x(), corner.y(), rect.width(), rect.height()};
}

void QtWindow::SetLeft(int left) { window_->move(left, window_->pos().y()); }

void QtWindow::SetTop(int top) { window_->move(window_->pos().x(), top); }

void QtWindow::SetWidth(int width) { window_->resize(width, window_->height()); }

void QtWindow::SetHeight(int height) { window_->resize(window_->width(), height); }

void QtWindow::ShowModal() {
  if (auto* dialog = qobject_cast<QDialog*>(window_)) {
    dialog->exec();
  } else {
    window_->show();
  }
}

void QtMessageBoxes::ShowMessage(const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, ToQString(title_), ToQString(text), QMessageBox::Ok,
                  parent_);
  box.exec();
}

void QtMessageBoxes::ShowError(const std::string& text) {
  QMessageBox box(QMessageBox::Critical, ToQString(title_), ToQString(text), QMessageBox::Ok,
                  parent_);
  box.exec();
}

QtGuiThread::QtGuiThread(QObject* context) : context_(context), ticker_(new QTimer(context)) {
  QObject::connect(ticker_, &QTimer::timeout, context_, [this] {
    if (tick_) tick_();
  });
}

void QtGuiThread::Post(std::function<void()> task) {
  QMetaObject::invokeMethod(context_, std::move(task), Qt::QueuedConnection);
}

void QtGuiThread::StartTicker(int milliseconds, std::function<void()> tick) {
  tick_ = std::move(tick);
  ticker_->start(milliseconds);
}

void QtGuiThread::StopTicker() {
  ticker_->stop();
  tick_ = nullptr;
}

}  // namespace tarnwell::ui::qt
