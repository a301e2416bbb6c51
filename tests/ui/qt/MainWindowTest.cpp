// The Qt binding under the offscreen platform: the layout a user and a
// screen reader meet, the close-up notification, real runs started and
// stopped from the window, closing during a run or on Ctrl+C (with a box
// open), and the settings on close.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <functional>
#include <memory>

#include "../MemoryControls.h"
#include "EventLoop.h"
#include "engine/run/ResultTable.h"
#include "platform/Signals.h"
#include "ui/FormMainLayout.h"
#include "ui/qt/QtControls.h"
#include "ui/qt/Windows.h"

namespace tarnwell::ui::test {
namespace {

using qt::MainWindow;
using qt::Windows;

class MainWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    Put(SettingsPath(), "[Main]\nFolder=" + temp.Path() + "\n");
    services = std::make_unique<TestServices>(SettingsPath());
    windows = std::make_unique<Windows>(*services, boxes);
    Main().show();
  }
  void TearDown() override { windows.reset(); }

  std::string SettingsPath() const { return temp / "tarnwell.INI"; }
  MainWindow& Main() { return windows->Main(); }
  template <class Widget>
  Widget* Child(const char* name) {
    auto* widget = Main().findChild<Widget*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QString Memo() { return Child<QPlainTextEdit>("MemoResult")->toPlainText(); }
  QPushButton* Start() { return Child<QPushButton>("ButtonStart"); }
  bool Idle() { return !Main().Form().Running(); }
  // Picks an item with the list open, as a user does.
  void Pick(const char* name, int index) {
    auto* list = Child<QComboBox>(name);
    list->showPopup();
    list->setCurrentIndex(index);
    list->hidePopup();
    QCoreApplication::processEvents();
  }

  TempFolder temp;
  MemoryBoxes boxes;
  std::unique_ptr<TestServices> services;
  std::unique_ptr<Windows> windows;
};

TEST_F(MainWindowTest, LayoutTextsAndTabOrderAreAsDesigned) {
  EXPECT_EQ(Main().windowTitle(), QStringLiteral("Tarnwell"));
  EXPECT_EQ(Child<QLabel>("LabelFolder")->text(), QStringLiteral("フォルダ作成場所"));
  EXPECT_EQ(Child<QPushButton>("ButtonFolder")->text(), QStringLiteral("参照..."));
  EXPECT_EQ(Start()->text(), QStringLiteral("開始"));
  EXPECT_EQ(Child<QLabel>("LabelFileTotal")->text(), QStringLiteral("1ファイル"));
  EXPECT_EQ(Child<QComboBox>("ComboBoxWait")->count(), 11);
  EXPECT_EQ(Child<QComboBox>("ComboBoxPriority")->currentText(), QStringLiteral("Normal"));
  EXPECT_FALSE(Start()->isDefault());

  QStringList menu;
  for (QAction* action : Main().menuBar()->actions()) {
    menu << action->text();
    for (QAction* item : action->menu()->actions()) menu << item->text();
  }
  EXPECT_EQ(menu,
            (QStringList{"ファイル(&F)", "レポートを保存(&R)...", "読み込んだデータを検証する(&V)",
                         "空き容量全体を検査(&C)...", "", "終了(&X)", "ヘルプなど(&H)",
                         "スタートメニューに登録(&S)...", "", "README.TXTを開く(&R)",
                         "Webサイトを開く(&W)...", "バージョン情報(&V)..."}));

  // Keyboard order: the panel's controls as designed, then the memo.
  QStringList order;
  QWidget* widget = Child<QWidget>("EditFolder");
  for (int i = 0; i < 14; ++i) {
    order << widget->objectName();
    do {
      widget = widget->nextInFocusChain();
    } while (!(widget->focusPolicy() & Qt::TabFocus) || widget->objectName().isEmpty());
  }
  EXPECT_EQ(order,
            (QStringList{"EditFolder", "ButtonFolder", "ComboBoxFileSize", "ComboBoxTotalSize",
                         "CheckBoxDeleteFile", "CheckBox1MB", "ComboBoxRepeat", "ComboBoxPriority",
                         "ComboBoxWait", "ButtonStart", "CheckBoxReadOnly", "CheckBoxReadRandom",
                         "ComboBoxReadPercentage", "MemoResult"}));
}

TEST_F(MainWindowTest, NoTextIsClippedOrHiddenUnderANeighbour) {
  std::vector<QWidget*> panel;
  for (const ControlLayout& control : FormMainControls()) {
    auto* widget = Child<QWidget>(std::string(control.Name).c_str());
    // Wide enough for its whole text in the font really used.
    EXPECT_GE(widget->width(), widget->sizeHint().width()) << control.Name;
    EXPECT_LE(widget->geometry().right(), widget->parentWidget()->width()) << control.Name;
    for (QWidget* other : panel) {
      EXPECT_FALSE(widget->geometry().intersects(other->geometry()))
          << control.Name << " overlaps " << other->objectName().toStdString();
    }
    panel.push_back(widget);
  }
  // Positions follow the design, scaled by the real font's height.
  const double scale = Main().Scale();
  EXPECT_NEAR(Child<QWidget>("ButtonStart")->x(), 344 * scale, 1);
  EXPECT_NEAR(Child<QWidget>("ComboBoxReadPercentage")->y(), 40 * scale, 1);

  // The table's header and its widest row each take one line of the memo in
  // the designed 707-pixel window, as they did in FixedSys's 8-pixel cells.
  Main().resize(707, 433);
  auto* memo = Child<QPlainTextEdit>("MemoResult");
  EXPECT_EQ(QFontMetrics(memo->font()).horizontalAdvance(QLatin1Char('0')), 8);
  memo->setPlainText(
      QString::fromUtf8(ResultTable::Header) +
      QStringLiteral("10\t0.001\t 9999.999\t 9999.999\t0.001\t 9999.999\t 9999.999"));
  QCoreApplication::processEvents();
  for (QTextBlock line = memo->document()->firstBlock(); line.isValid(); line = line.next()) {
    EXPECT_EQ(line.layout()->lineCount(), 1) << line.text().toStdString();
  }
}

TEST_F(MainWindowTest, ScreenReadersCanNameEveryControl) {
  auto name = [](QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible != nullptr ? accessible->text(QAccessible::Name) : QString();
  };
  // A drop-down list is announced with its choice and the label beside it.
  auto labelledBy = [](QWidget* widget) {
    QStringList labels;
    const auto relations =
        QAccessible::queryAccessibleInterface(widget)->relations(QAccessible::Label);
    for (const auto& [label, relation] : relations) labels << label->text(QAccessible::Name);
    return labels;
  };
  EXPECT_EQ(labelledBy(Child<QWidget>("ComboBoxFileSize")),
            QStringList{QStringLiteral("ファイルの大きさ")});
  EXPECT_EQ(labelledBy(Child<QWidget>("ComboBoxReadPercentage")),
            QStringList{QStringLiteral("読み込み％")});
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Child<QWidget>("ComboBoxPriority"))
                ->text(QAccessible::Value),
            QStringLiteral("Normal"));
  EXPECT_EQ(name(Child<QWidget>("EditFolder")), QStringLiteral("フォルダ作成場所"));
  EXPECT_EQ(name(Child<QWidget>("MemoResult")), QStringLiteral("結果"));
  EXPECT_EQ(name(Child<QWidget>("CheckBox1MB")), QStringLiteral("1MBずつ読み書きする"));
  EXPECT_EQ(name(Child<QWidget>("LabelFileTotal")), QStringLiteral("1ファイル"));
  EXPECT_EQ(Child<QLabel>("LabelWait")->buddy(), Child<QWidget>("ComboBoxWait"));
}

TEST_F(MainWindowTest, CloseUpIsWhatDerivesTheValues) {
  auto* size = Child<QComboBox>("ComboBoxFileSize");
  size->setCurrentIndex(0);  // keyboard or wheel: the list never opened
  QCoreApplication::processEvents();
  EXPECT_EQ(Child<QLabel>("LabelFileTotal")->text(), QStringLiteral("1ファイル"));
  size->showPopup();
  size->hidePopup();  // closed without a change still counts
  ASSERT_TRUE(WaitUntil([&] { return Child<QLabel>("LabelFileTotal")->text() != "1ファイル"; }));
  EXPECT_EQ(Child<QLabel>("LabelFileTotal")->text(), QStringLiteral("1024ファイル"));
  EXPECT_FALSE(Child<QCheckBox>("CheckBox1MB")->isEnabled());

  Pick("ComboBoxWait", 3);
  EXPECT_EQ(Main().Form().WaitMSec(), 3000);
}

TEST_F(MainWindowTest, HidingOrMinimisingTheWindowRunsNoCloseUp) {
  auto* size = Child<QComboBox>("ComboBoxFileSize");
  const QString files = Child<QLabel>("LabelFileTotal")->text();
  size->setCurrentIndex(0);                       // changed from the keyboard, list closed
  Child<QComboBox>("ComboBoxWait")->showPopup();  // one list left open
  Main().showMinimized();
  QCoreApplication::processEvents();
  Main().hide();
  QCoreApplication::processEvents();
  Main().showNormal();
  QCoreApplication::processEvents();
  EXPECT_EQ(Child<QLabel>("LabelFileTotal")->text(), files);
  // Tab leaves the table rather than typing into it.
  EXPECT_TRUE(Child<QPlainTextEdit>("MemoResult")->tabChangesFocus());
}

TEST_F(MainWindowTest, AFolderThatIsNotUtf8KeepsItsBytes) {
  const std::string folder = temp.Path() + "/caf\xe9";
  Put(SettingsPath(), "[Main]\nFolder=" + folder + "\n");
  windows = std::make_unique<Windows>(*services, boxes);
  Main().close();
  EXPECT_NE(Contents(SettingsPath()).find("Folder=" + folder + "\n"), std::string::npos);
  // A folder the user types replaces it.
  windows = std::make_unique<Windows>(*services, boxes);
  Child<QLineEdit>("EditFolder")->setText(QStringLiteral("/srv/new"));
  Main().close();
  EXPECT_NE(Contents(SettingsPath()).find("Folder=/srv/new\n"), std::string::npos);
}

TEST_F(MainWindowTest, StartRunsABenchmarkAndTheMemoHoldsTheTable) {
  Child<QComboBox>("ComboBoxRepeat")->setCurrentIndex(1);  // three repetitions
  Start()->click();
  EXPECT_EQ(Start()->text(), QStringLiteral("中止"));
  EXPECT_FALSE(Child<QLineEdit>("EditFolder")->isEnabled());
  ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
  EXPECT_EQ(Start()->text(), QStringLiteral("開始"));
  EXPECT_TRUE(Child<QLineEdit>("EditFolder")->isEnabled());
  EXPECT_TRUE(boxes.messages.empty() && boxes.errors.empty());

  const QStringList lines = Memo().split(QLatin1Char('\n'));
  // Header, three rows, then per phase an empty line, a title and four
  // lines, then the memo's own empty last line.
  ASSERT_EQ(lines.size(), 1 + 3 + 6 + 6 + 2) << Memo().toStdString();
  EXPECT_TRUE(lines[0].startsWith(QStringLiteral("回数\t時間\t書き(Mbps）")));
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(lines[i].split(QLatin1Char('\t')).size(), 7);
    EXPECT_TRUE(lines[i].startsWith(QString::number(i) + QLatin1Char('\t')));
  }
  EXPECT_EQ(lines[5], QStringLiteral("●書き込み"));
  EXPECT_EQ(lines[11], QStringLiteral("●読み込み"));
  EXPECT_TRUE(lines[12].startsWith(QStringLiteral("平均所要時間（秒）：")));
  EXPECT_EQ(lines.last(), QString());
  // The memo gives its text back with the line ends the result text has.
  qt::QtMemo memo(Child<QPlainTextEdit>("MemoResult"));
  EXPECT_EQ(memo.Text().substr(memo.Text().size() - 4), "\r\n\r\n");
}

TEST_F(MainWindowTest, TheWindowStaysAliveDuringARunAndStopStopsIt) {
  Pick("ComboBoxWait", 10);
  Start()->click();
  // The write half arrives, the progress line keeps moving: events flow.
  ASSERT_TRUE(WaitUntil([&] { return Memo().endsWith(QStringLiteral("\t\n")); }));
  auto* progress = Child<QLabel>("LabelProgress");
  ASSERT_TRUE(WaitUntil([&] { return progress->text().contains(QStringLiteral("待機中")); }));
  const QString before = progress->text();
  ASSERT_TRUE(WaitUntil([&] { return progress->text() != before; }, 5000));
  EXPECT_FALSE(Child<QComboBox>("ComboBoxWait")->isEnabled());

  QElapsedTimer stopping;
  stopping.start();
  Start()->click();  // "中止"
  ASSERT_TRUE(WaitUntil([&] { return Idle(); }, 5000));
  EXPECT_LT(stopping.elapsed(), 5000);
  EXPECT_TRUE(Child<QComboBox>("ComboBoxWait")->isEnabled());
  EXPECT_TRUE(boxes.messages.empty());
  EXPECT_TRUE(Memo().endsWith(QStringLiteral("\t\n")));
}

TEST_F(MainWindowTest, EndOfSessionDuringARunStopsItCleansUpAndSavesTheChoices) {
  Pick("ComboBoxWait", 10);
  Child<QComboBox>("ComboBoxRepeat")->setCurrentIndex(2);
  // As the program's entry does: SIGTERM closes the window like its close box.
  platform::WatchQuitSignals([this] {
    QMetaObject::invokeMethod(
        qApp, [this] { Main().close(); }, Qt::QueuedConnection);
  });
  Start()->click();
  ASSERT_TRUE(WaitUntil([&] { return Memo().endsWith(QStringLiteral("\t\n")); }));
  QElapsedTimer closing;
  closing.start();
  ::raise(SIGTERM);
  ASSERT_TRUE(WaitUntil([&] { return !Main().isVisible(); }, 5000));
  EXPECT_LT(closing.elapsed(), 5000);
  EXPECT_TRUE(Idle());
  EXPECT_FALSE(std::filesystem::exists(temp / "TRW_TEMP"));
  const std::string saved = Contents(SettingsPath());
  EXPECT_NE(saved.find("Wait=10"), std::string::npos) << saved;
  EXPECT_NE(saved.find("Repeat=2"), std::string::npos) << saved;
  // Events the run left queued find nothing to do.
  QCoreApplication::processEvents();
}

TEST_F(MainWindowTest, ClosingWritesTheSettingsAndExitMenuCloses) {
  Child<QLineEdit>("EditFolder")->setText(QStringLiteral("/srv/ベンチ"));
  Child<QCheckBox>("CheckBoxReadRandom")->setChecked(true);
  Pick("ComboBoxTotalSize", 7);
  Main().move(30, 40);
  Main().resize(650, 460);
  QAction* verify = Child<QAction>("MenuFVerify");
  EXPECT_TRUE(verify->isCheckable() && !verify->isChecked());
  verify->trigger();
  Main().findChild<QAction*>(QStringLiteral("MenuFExit"))->trigger();
  EXPECT_FALSE(Main().isVisible());
  const std::string saved = Contents(SettingsPath());
  for (const char* line : {"Folder=/srv/ベンチ", "ReadRandom=1", "TotalSize=7", "Width=650",
                           "Height=460", "[Tarnwell]\nVerify=1"}) {
    EXPECT_NE(saved.find(line), std::string::npos) << line << " in\n" << saved;
  }

  // The next start shows them again.
  windows.reset();
  windows = std::make_unique<Windows>(*services, boxes);
  EXPECT_EQ(Child<QLineEdit>("EditFolder")->text(), QStringLiteral("/srv/ベンチ"));
  EXPECT_EQ(Child<QComboBox>("ComboBoxTotalSize")->currentIndex(), 7);
  EXPECT_EQ(Main().size(), QSize(650, 460));
  // The check stays on and verifies the next run.
  EXPECT_TRUE(Child<QAction>("MenuFVerify")->isChecked());
  Child<QLineEdit>("EditFolder")->setText(QString::fromStdString(temp.Path()));
  Pick("ComboBoxTotalSize", 0);
  Start()->click();
  ASSERT_TRUE(WaitUntil([&] { return Idle(); }));
  EXPECT_TRUE(Child<QLabel>("LabelProgress")->text().contains(QStringLiteral("セクタはすべて正常")))
      << Child<QLabel>("LabelProgress")->text().toStdString();
}

TEST(MainWindowMessageBoxTest, ARunsMessageAppearsInABoxCaptionedWithTheTitle) {
  TempFolder temp;
  Put(temp / "tarnwell.INI", "[Main]\nFolder=" + temp.Path() + "\nFileSize=4\nTotalSize=0\n");
  TestServices services(temp / "tarnwell.INI");
  qt::QtMessageBoxes boxes("Tarnwell-test");
  Windows windows(services, boxes);
  windows.Main().show();

  QString title, text;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      title = box->windowTitle();
      text = box->text();
      box->accept();
    }
  });
  watcher.start(20);
  windows.Main().findChild<QPushButton*>(QStringLiteral("ButtonStart"))->click();
  ASSERT_TRUE(WaitUntil([&] { return !text.isEmpty(); }));
  EXPECT_EQ(title, QStringLiteral("Tarnwell-test"));
  EXPECT_EQ(text, QStringLiteral("1ファイルの大きさが総容量を超えています"));
}

TEST(MainWindowMessageBoxTest, TheWholeDriveCheckAsksWithNoAsTheDefaultAndRunsOnYes) {
  TempFolder temp;
  Put(temp / "tarnwell.INI", "[Main]\nFolder=" + temp.Path() + "\nFileSize=3\nTotalSize=0\n");
  TestServices services(temp / "tarnwell.INI");
  services.environment.freeBytes = 19 * 1048576;  // three 1 MB files after the margin
  qt::QtMessageBoxes boxes("Tarnwell-test");
  Windows windows(services, boxes);
  windows.Main().show();

  QStringList questions;
  bool yes = false;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    questions << box->text();
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
    box->button(yes ? QMessageBox::Yes : QMessageBox::No)->click();
  });
  watcher.start(20);
  auto* check = windows.Main().findChild<QAction*>(QStringLiteral("MenuFCheck"));
  check->trigger();
  ASSERT_EQ(questions.size(), 1);
  EXPECT_TRUE(questions[0].startsWith(QStringLiteral("空き容量全体に 3 MB を書き込んで")));
  EXPECT_FALSE(windows.Main().Form().Running());
  EXPECT_FALSE(std::filesystem::exists(temp / "TRW_TEMP"));

  yes = true;
  check->trigger();
  EXPECT_TRUE(windows.Main().Form().Running());
  ASSERT_TRUE(WaitUntil([&] { return !windows.Main().Form().Running(); }));
  EXPECT_TRUE(windows.Main()
                  .findChild<QLabel*>(QStringLiteral("LabelProgress"))
                  ->text()
                  .contains(QStringLiteral("実際に使える容量はおよそ 3 MB")));
}

TEST(MainWindowQuitTest, CtrlCClosesAnOpenBoxAndTheWindowAndNoBoxWaitsAfterIt) {
  TempFolder temp;
  // A settings file that cannot be written: closing would show a box.
  std::filesystem::create_directory(temp / "tarnwell.INI");
  TestServices services(temp / "tarnwell.INI");
  qt::QtMessageBoxes boxes("Tarnwell-test");
  Windows windows(services, boxes);
  boxes.SetParent(&windows.Main());
  windows.Main().show();
  qt::CloseOnQuitRequest(windows, boxes);
  windows.Main()
      .findChild<QLineEdit*>(QStringLiteral("EditFolder"))
      ->setText(QString::fromStdString(temp.Path()));
  windows.Main().findChild<QComboBox*>(QStringLiteral("ComboBoxFileSize"))->setCurrentIndex(4);
  windows.Main().findChild<QComboBox*>(QStringLiteral("ComboBoxTotalSize"))->setCurrentIndex(0);

  QStringList shown;
  QElapsedTimer elapsed;
  QTimer watcher;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) return;
    if (shown.isEmpty() || shown.last() != box->text()) {
      shown << box->text();
      if (shown.size() == 1) {
        elapsed.start();
        ::raise(SIGINT);
      }
    }
    if (elapsed.elapsed() > 5000) box->accept();  // what nobody is there to do
  });
  watcher.start(20);
  windows.Main().findChild<QPushButton*>(QStringLiteral("ButtonStart"))->click();
  ASSERT_TRUE(WaitUntil([&] { return !windows.Main().isVisible(); }, 10000));
  EXPECT_LT(elapsed.elapsed(), 5000);
  EXPECT_EQ(shown.join(QLatin1Char('|')).toStdString(), "1ファイルの大きさが総容量を超えています");
}

}  // namespace
}  // namespace tarnwell::ui::test

int main(int argc, char** argv) {
  // No display needed: the tests draw offscreen unless told otherwise.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
