// The program's entry: takes the clock's anchor before anything else (it is
// a constant initialised with the engine), starts the toolkit, creates the
// three windows in order and runs the event loop until the main window has
// closed.
#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <atomic>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "ui/AppServices.h"
#include "ui/ApplicationTitle.h"
#include "ui/qt/QtControls.h"
#include "ui/qt/Windows.h"

namespace {

// The regional decimal separator when it is a single ASCII character.
char RegionalDecimalSeparator() {
  const QString point = QLocale::system().decimalPoint();
  if (point.size() == 1 && point.at(0).unicode() < 0x80) return point.at(0).toLatin1();
  return '.';
}

// The main window's form while the event loop runs. Should the program end
// without its window (Qt ends the process when the X connection breaks),
// the run still stops and removes its files as the choices say.
std::atomic<tarnwell::ui::TFormMain*> runningForm{nullptr};

void AbandonRunAtExit() {
  if (tarnwell::ui::TFormMain* form = runningForm.exchange(nullptr)) form->AbandonRun();
}

void AbandonRunOnFatalMessage(QtMsgType type, const QMessageLogContext&, const QString& text) {
  std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
  if (type == QtFatalMsg) AbandonRunAtExit();
}

}  // namespace

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const char separator = RegionalDecimalSeparator();
  // The toolkit adopted the user's locale for the C library as well; numbers
  // the program formats itself take the separator explicitly instead.
  std::setlocale(LC_NUMERIC, "C");

  const std::string title = tarnwell::ui::ApplicationTitle(
      QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString());

  tarnwell::ui::SystemServices services(separator);
  tarnwell::ui::qt::QtMessageBoxes boxes(title);
  tarnwell::ui::qt::Windows windows(services, boxes);
  boxes.SetParent(&windows.Main());

  // The session's end (SIGTERM at logout, SIGHUP) and Ctrl+C close the window
  // as its close box does: the run stops, cleans up, and the settings are saved.
  tarnwell::ui::qt::CloseOnQuitRequest(windows, boxes);
  runningForm = &windows.Main().Form();
  std::atexit(AbandonRunAtExit);
  qInstallMessageHandler(AbandonRunOnFatalMessage);

  windows.Main().show();
  const int result = QApplication::exec();
  runningForm = nullptr;
  return result;
}
