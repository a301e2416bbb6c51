// The folder chooser on Qt under the offscreen platform: its layout, the
// tree read on expansion, "OK" and Escape, and renaming through the
// in-place editor.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "../MemoryControls.h"
#include "EventLoop.h"
#include "ui/qt/FolderDialog.h"

namespace tarnwell::ui::test {
namespace {

namespace fs = std::filesystem;

class FolderWindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    fs::create_directories(temp / "desk/a/inner");
    fs::create_directories(temp / "desk/b");
    services = std::make_unique<TestServices>(temp / "tarnwell.INI");
    const FolderRoots roots{.DesktopPath = Desk(),
                            .DesktopLabel = DesktopName,
                            .HomePath = Desk(),
                            .MountPoints = {"/"}};
    dialog =
        std::make_unique<qt::FolderDialog>(nullptr, *services, boxes, [roots] { return roots; });
    dialog->Create();
    dialog->open();
    ASSERT_TRUE(WaitUntil([&] { return dialog->isVisible(); }));
  }
  void TearDown() override { dialog.reset(); }

  std::string Desk() const { return temp / "desk"; }
  template <class Widget>
  Widget* Child(const char* name) {
    auto* widget = dialog->findChild<Widget*>(QLatin1String(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QTreeWidget* Tree() { return Child<QTreeWidget>("ShellTreeViewMain"); }
  QTreeWidgetItem* Item(const char* label) {
    QTreeWidgetItem* root = Tree()->topLevelItem(0);
    for (int i = 0; i < root->childCount(); ++i) {
      if (root->child(i)->text(0) == QString::fromUtf8(label)) return root->child(i);
    }
    ADD_FAILURE() << label;
    return nullptr;
  }

  TempFolder temp;
  MemoryBoxes boxes;
  std::unique_ptr<TestServices> services;
  std::unique_ptr<qt::FolderDialog> dialog;
};

TEST_F(FolderWindowTest, TreeFillsTheWindowAboveTheButtonPanel) {
  EXPECT_EQ(dialog->windowTitle(), QStringLiteral("フォルダ選択"));
  auto* panel = Child<QWidget>("PanelBottom");
  auto* ok = Child<QPushButton>("ButtonOK");
  auto* cancel = Child<QPushButton>("ButtonCancel");
  const double scale = dialog->Scale();
  EXPECT_EQ(ok->text(), QStringLiteral("OK"));
  EXPECT_EQ(cancel->text(), QStringLiteral("キャンセル"));
  EXPECT_TRUE(ok->isDefault());
  EXPECT_NEAR(cancel->x(), 7 * scale, 1);
  EXPECT_NEAR(ok->x(), 111 * scale, 1);
  EXPECT_LE(cancel->geometry().right(), ok->x());
  EXPECT_EQ(QAccessible::queryAccessibleInterface(Tree())->text(QAccessible::Name),
            QStringLiteral("フォルダ"));

  // The tree takes up every change of size; the panel keeps its height.
  dialog->resize(600, 500);
  QCoreApplication::processEvents();
  EXPECT_NEAR(panel->height(), 41 * scale, 1);
  EXPECT_EQ(panel->width(), dialog->width());
  EXPECT_EQ(Tree()->y(), 0);
  EXPECT_EQ(Tree()->geometry().bottom() + 1, panel->y());
  EXPECT_EQ(panel->geometry().bottom() + 1, dialog->height());
  EXPECT_NEAR(ok->x(), 111 * scale, 1);
}

TEST_F(FolderWindowTest, ExpandingReadsChildrenAndOkWritesThePath) {
  QTreeWidgetItem* a = Item("a");
  EXPECT_EQ(a->childCount(), 0);
  EXPECT_EQ(a->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
  EXPECT_EQ(Item("b")->childIndicatorPolicy(), QTreeWidgetItem::DontShowIndicatorWhenChildless);
  Tree()->expandItem(a);
  ASSERT_EQ(a->childCount(), 1);
  EXPECT_EQ(a->child(0)->text(0), QStringLiteral("inner"));

  Tree()->setCurrentItem(a->child(0));
  Child<QPushButton>("ButtonOK")->click();
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->Form().Choice(), Desk() + "/a/inner");
  EXPECT_NE(Contents(temp / "tarnwell.INI").find("[FolderWindow]"), std::string::npos);
}

TEST_F(FolderWindowTest, EscapeLeavesTheFolderBoxAndClosesEvenWhenTheBoundsCannotBeSaved) {
  fs::create_directory(temp / "tarnwell.INI");  // no save can replace a folder
  Tree()->setCurrentItem(Item("a"));
  PressKey(Tree(), Qt::Key_Escape);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->Form().Choice(), std::nullopt);
  EXPECT_EQ(boxes.messages, std::vector<std::string>{"INIファイルへの書き込みを中止します"});

  // Shown again, the tree is as it was left.
  dialog->open();
  EXPECT_EQ(Tree()->currentItem(), Item("a"));
}

TEST_F(FolderWindowTest, RenameThroughTheEditorReportsARefusal) {
  QTreeWidgetItem* a = Item("a");
  Tree()->setCurrentItem(a);
  auto rename = [&](const char* name) {
    Tree()->editItem(a);
    auto* editor = Tree()->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QString::fromUtf8(name));
    PressKey(editor, Qt::Key_Return);
  };
  rename("b");
  ASSERT_TRUE(WaitUntil([&] { return !boxes.errors.empty(); }));
  EXPECT_EQ(boxes.errors, std::vector<std::string>{"b に名前を変更できませんでした。"});
  EXPECT_EQ(a->text(0), QStringLiteral("a"));
  // Enter confirmed the edit; it did not press "OK".
  EXPECT_TRUE(dialog->isVisible());

  rename("c");
  ASSERT_TRUE(WaitUntil([&] { return a->text(0) == QStringLiteral("c"); }));
  EXPECT_TRUE(fs::is_directory(temp / "desk/c/inner"));
  EXPECT_TRUE(dialog->isVisible());
}

}  // namespace
}  // namespace tarnwell::ui::test
