// The Qt adapters of the control interfaces.
#include "ui/qt/QtControls.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHideEvent>
#include <QMessageBox>
#include <QMetaObject>
#include <QStandardPaths>
#include <cstdio>

#include "ui/FormTexts.h"

namespace tarnwell::ui::qt {

void CloseUpComboBox::showPopup() {
  open_ = true;
  QComboBox::showPopup();
}

void CloseUpComboBox::hidePopup() {
  QComboBox::hidePopup();
  const bool closedByUser = open_ && !hiding_;
  open_ = false;
  // After the popup has gone: the handler may open a message box.
  if (closedByUser && onCloseUp) QMetaObject::invokeMethod(this, onCloseUp, Qt::QueuedConnection);
}

void CloseUpComboBox::hideEvent(QHideEvent* event) {
  hiding_ = true;
  QComboBox::hideEvent(event);
  hiding_ = false;
  open_ = false;
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
  if (window_->isMinimized()) {
    // The restored rectangle is the client's; its frame sits where the
    // frame's offset from the client says, or the window creeps at each close.
    const QRect rect = window_->normalGeometry();
    const QPoint frameOffset = window_->pos() - window_->geometry().topLeft();
    const QPoint corner = rect.topLeft() + frameOffset;
    return Bounds{corner.x(), corner.y(), rect.width(), rect.height()};
  }
  const QRect rect = window_->geometry();
  return Bounds{window_->pos().x(), window_->pos().y(), rect.width(), rect.height()};
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

std::string QtSaveDialog::AskSavePath(const std::string& title, const std::string& suggestedName,
                                      const std::string& filterText) {
  const QString start = QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
                            .filePath(ToQString(suggestedName));
  const QString path =
      QFileDialog::getSaveFileName(parent_, ToQString(title), start, ToQString(filterText));
  return path.isEmpty() ? std::string() : QFile::encodeName(path).toStdString();
}

void QtMessageBoxes::ShowMessage(const std::string& text) { Show(QMessageBox::NoIcon, text); }

void QtMessageBoxes::ShowError(const std::string& text) { Show(QMessageBox::Critical, text); }

bool QtMessageBoxes::AskYesNo(const std::string& text) {
  if (stopWaiting_) return false;
  QMessageBox box(QMessageBox::Question, ToQString(title_), ToQString(text),
                  QMessageBox::Yes | QMessageBox::No, parent_);
  box.button(QMessageBox::Yes)->setText(ToQString(CommonTexts::Yes));
  box.button(QMessageBox::No)->setText(ToQString(CommonTexts::No));
  // Enter must not write over a whole drive by accident.
  box.setDefaultButton(QMessageBox::No);
  open_.push_back(&box);
  const int answer = box.exec();
  open_.pop_back();
  return answer == QMessageBox::Yes && !stopWaiting_;
}

void QtMessageBoxes::Show(QMessageBox::Icon icon, const std::string& text) {
  if (stopWaiting_) {
    std::fprintf(stderr, "%s: %s\n", title_.c_str(), text.c_str());
    return;
  }
  QMessageBox box(icon, ToQString(title_), ToQString(text), QMessageBox::Ok, parent_);
  open_.push_back(&box);
  box.exec();
  open_.pop_back();
}

void QtMessageBoxes::StopWaiting() {
  stopWaiting_ = true;
  for (QMessageBox* box : open_) box->done(QMessageBox::Ok);
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
