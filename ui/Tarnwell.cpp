// The program's entry: takes the clock's anchor before anything else (it is
// a constant initialised with the engine), starts the toolkit, creates the
// three windows in order and runs the event loop until the main window has
// closed.
#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <clocale>

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
  windows.Main().show();
  return QApplication::exec();
}
