// The application-menu dialog on Qt under the offscreen platform: its texts,
// a frame without a close box, room for its texts, and what OK and Escape
// leave in the form's flags.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QRadioButton>
#include <functional>
#include <memory>

#include "../MemoryControls.h"
#include "EventLoop.h"
#include "ui/qt/StartMenuDialog.h"

namespace tarnwell::ui::test {
namespace {

class StartMenuDialogTest : public ::testing::Test {
protected:
  void SetUp() override {
    services = std::make_unique<TestServices>(temp / "tarnwell.INI");
    services->userName = "長い名前のユーザー";
    dialog = std::make_unique<qt::StartMenuDialog>(nullptr, *services, boxes);
    dialog->Create();
  }
  void Show() {
    dialog->open();
    ASSERT_TRUE(WaitUntil([&] { return dialog->isVisible(); }));
  }
  template <class T>
  T* Find(const char* name) {
    return dialog->findChild<T*>(QLatin1String(name));
  }

  TempFolder temp;
  std::unique_ptr<TestServices> services;
  MemoryBoxes boxes;
  std::unique_ptr<qt::StartMenuDialog> dialog;
};

TEST_F(StartMenuDialogTest, ShowsItsTextsInAFixedFrameWithRoomForThem) {
  Show();
  EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("だれのスタートメニュー？"));
  EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint));
  EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
  auto* group = Find<QGroupBox>("RadioGroupMain");
  auto* first = Find<QRadioButton>("RadioGroupMainItem0");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->text(), QString::fromUtf8("現ユーザー（長い名前のユーザー）のスタートメニュー"));
  EXPECT_TRUE(first->isChecked());
  // Nothing clipped: the group holds its items, the buttons sit below it.
  EXPECT_GE(group->width(), group->sizeHint().width());
  auto* ok = Find<QPushButton>("ButtonOK");
  auto* cancel = Find<QPushButton>("ButtonCancel");
  EXPECT_GE(ok->y(), group->geometry().bottom());
  EXPECT_LT(cancel->x() + cancel->width(), ok->x());
  EXPECT_LE(ok->geometry().right(), dialog->width());
  EXPECT_TRUE(ok->isDefault());
  // Focus starts on the group's chosen item, not on the default button.
  ASSERT_TRUE(WaitUntil([&] { return dialog->focusWidget() != nullptr; }));
  EXPECT_EQ(dialog->focusWidget(), first);
  EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(StartMenuDialogTest, OkTakesTheChoiceAndEscapeCancels) {
  Show();
  Find<QRadioButton>("RadioGroupMainItem1")->click();
  Find<QPushButton>("ButtonOK")->click();
  ASSERT_TRUE(WaitUntil([&] { return !dialog->isVisible(); }));
  EXPECT_TRUE(dialog->Form().AllUsers);
  EXPECT_FALSE(dialog->Form().Cancelled);

  Show();
  PressKey(dialog.get(), Qt::Key_Escape);
  ASSERT_TRUE(WaitUntil([&] { return !dialog->isVisible(); }));
  EXPECT_TRUE(dialog->Form().Cancelled);
  EXPECT_TRUE(dialog->Form().AllUsers);  // kept from the last OK
  EXPECT_TRUE(Find<QRadioButton>("RadioGroupMainItem1")->isChecked());
}

}  // namespace
}  // namespace tarnwell::ui::test
