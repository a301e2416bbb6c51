// Driving Qt's event loop from a test: waiting for a condition while events
// flow, and pressing keys on a widget.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWidget>
#include <functional>

namespace tarnwell::ui::test {

// Processes events until `done` holds; false after `milliseconds`.
inline bool WaitUntil(const std::function<bool()>& done, int milliseconds = 60000) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > milliseconds) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

inline void PressKey(QWidget* widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(widget, &release);
}

}  // namespace tarnwell::ui::test
