// The Help menu through in-memory controls: the about text, opening the
// manual and the web page, and the application-menu entry with its dialog,
// whose choice carries over between showings.
#include <gtest/gtest.h>

#include "MemoryControls.h"

namespace tarnwell::ui::test {
namespace {

class HelpMenuTest : public ::testing::Test {
protected:
  void SetUp() override {
    app = std::make_unique<MemoryApplication>(temp / "tarnwell.INI");
    app->Start();
  }
  void Click(void (TFormMain::*handler)()) { app->formMain->Handle(handler); }
  // What the user does while the dialog is up.
  void WhileShown(std::function<void()> act) { app->startMenuWindow.whileShown = std::move(act); }

  TempFolder temp;
  std::unique_ptr<MemoryApplication> app;
};

TEST_F(HelpMenuTest, AboutShowsFiveLinesWithTheRegionalSeparator) {
  Click(&TFormMain::MenuHelpVersionClick);
  ASSERT_EQ(app->boxes.messages.size(), 1u);
  EXPECT_EQ(app->boxes.messages[0],
            "Tarnwell\r\nVersion 1.00 (2026/12/08)\r\n\r\n"
            "OS: Linux Version 6.1 Build 2 Debian GNU/Linux 12 (bookworm)\r\n"
            "User/Computer: someone/bench-host");
  app->services.decimalSeparator = ',';
  Click(&TFormMain::MenuHelpVersionClick);
  EXPECT_NE(app->boxes.messages[1].find("\r\nVersion 1,00 (2026/12/08)\r\n"), std::string::npos);

  // A failed query shows its own text in the error box and no about text.
  app->services.versionFails = true;
  Click(&TFormMain::MenuHelpVersionClick);
  EXPECT_EQ(app->boxes.messages.size(), 2u);
  EXPECT_EQ(app->boxes.errors, (std::vector<std::string>{"Failed to call GetVersionEx."}));
}

TEST_F(HelpMenuTest, ReadmeAndWebPageOpenWithTheDesktopOrSayWhy) {
  Click(&TFormMain::MenuHelpReadmeClick);
  Click(&TFormMain::MenuHelpWebClick);
  EXPECT_EQ(app->services.opened, (std::vector<std::string>{"/opt/tarnwell/bin/README.TXT",
                                                            "file:///opt/tarnwell/manual.html"}));
  EXPECT_TRUE(app->boxes.messages.empty());

  app->services.openSucceeds = false;
  Click(&TFormMain::MenuHelpReadmeClick);
  Click(&TFormMain::MenuHelpWebClick);
  ASSERT_EQ(app->boxes.messages.size(), 2u);
  EXPECT_TRUE(
      app->boxes.messages[0].starts_with("/opt/tarnwell/bin/README.TXTを開けませんでした。\r\n"));
  EXPECT_EQ(app->boxes.messages[1], "file:///opt/tarnwell/manual.htmlを開けませんでした");
}

TEST_F(HelpMenuTest, DialogIsSetUpOnceWithTheUserName) {
  EXPECT_EQ(app->startMenuWindow.caption, "だれのスタートメニュー？");
  EXPECT_EQ(app->buttonOK.Caption(), "OK");
  EXPECT_EQ(app->buttonCancel.Caption(), "キャンセル");
  EXPECT_EQ(app->radioGroupMain.caption, "どなたのスタートメニューに追加しますか？");
  EXPECT_EQ(app->radioGroupMain.items,
            (std::vector<std::string>{"現ユーザー（someone）のスタートメニュー",
                                      "全ユーザーのスタートメニュー"}));
  EXPECT_EQ(app->radioGroupMain.index, 0);

  // Without a user name the set-up stops short of the items, in the error box.
  MemoryApplication failing(temp / "other.INI");
  failing.services.userName.clear();
  failing.Start();
  EXPECT_EQ(failing.boxes.errors, (std::vector<std::string>{"Failed to call GetUserName."}));
  EXPECT_EQ(failing.startMenuWindow.caption, "だれのスタートメニュー？");
  EXPECT_TRUE(failing.radioGroupMain.items.empty());
}

TEST_F(HelpMenuTest, EntryGoesWhereTheDialogSaysAndCancelWritesNothing) {
  app->mainWindow.bounds = Bounds{.Left = 300, .Top = 120, .Width = 720, .Height = 500};
  WhileShown([&] { app->formStartMenu->ButtonOKClick(); });
  Click(&TFormMain::MenuHelpStartMenuClick);
  EXPECT_EQ(app->startMenuWindow.bounds.Left, 340);
  EXPECT_EQ(app->startMenuWindow.bounds.Top, 160);
  ASSERT_EQ(app->services.shortcuts.size(), 1u);
  EXPECT_EQ(app->services.shortcuts[0],
            (std::vector<std::string>{"/home/someone/.local/share/applications/Tarnwell.desktop",
                                      "/opt/tarnwell/bin/tarnwell", "Tarnwell"}));

  WhileShown([&] {
    app->radioGroupMain.SetItemIndex(1);
    app->formStartMenu->ButtonOKClick();
  });
  Click(&TFormMain::MenuHelpStartMenuClick);
  EXPECT_EQ(app->services.shortcuts.at(1)[0], "/usr/local/share/applications/Tarnwell.desktop");

  // Cancel, and a close no button asked for, write nothing and say nothing;
  // the choice made last is still there for the next showing.
  WhileShown([&] { app->formStartMenu->ButtonCancelClick(); });
  Click(&TFormMain::MenuHelpStartMenuClick);
  WhileShown([&] { app->startMenuWindow.Close(); });
  Click(&TFormMain::MenuHelpStartMenuClick);
  EXPECT_EQ(app->services.shortcuts.size(), 2u);
  EXPECT_TRUE(app->boxes.messages.empty());
  EXPECT_EQ(app->radioGroupMain.index, 1);
  EXPECT_TRUE(app->formStartMenu->AllUsers);
  EXPECT_TRUE(app->formStartMenu->Cancelled);
}

TEST_F(HelpMenuTest, FailuresShowTheirTwoMessagesAndNoDialogWithoutSeparateMenus) {
  WhileShown([&] { app->formStartMenu->ButtonOKClick(); });
  app->services.currentUserFolder.clear();
  Click(&TFormMain::MenuHelpStartMenuClick);
  app->services.currentUserFolder = "/home/someone/.local/share/applications";
  app->services.shortcutFails = true;
  Click(&TFormMain::MenuHelpStartMenuClick);
  EXPECT_EQ(app->boxes.messages,
            (std::vector<std::string>{"エラー：SHGetSpecialFolderPathの実行に失敗しました",
                                      "エラー：ショートカットを作成できませんでした"}));

  // A system without separate all-users menus goes straight to the user's.
  app->services.shortcutFails = false;
  app->services.version.PlatformId = 1;
  const int shows = app->startMenuWindow.modalShows;
  Click(&TFormMain::MenuHelpStartMenuClick);
  EXPECT_EQ(app->startMenuWindow.modalShows, shows);
  EXPECT_EQ(app->services.shortcuts.size(), 1u);
}

}  // namespace
}  // namespace tarnwell::ui::test
