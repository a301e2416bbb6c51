// The main window's start-up from the settings file, its close-up
// derivations and the save when it closes, driven through in-memory controls.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "MemoryControls.h"

namespace tarnwell::ui::test {
namespace {

using platform::PriorityClass;

class FormMainSettingsTest : public ::testing::Test {
protected:
  std::string SettingsPath() const { return temp / "tarnwell.INI"; }
  // Starts the program on a settings file holding `text` (none when empty).
  MemoryApplication& StartWith(const std::string& text) {
    if (!text.empty()) Put(SettingsPath(), text);
    app = std::make_unique<MemoryApplication>(SettingsPath());
    app->Start();
    return *app;
  }
  // Closes the main window and reads the file back.
  std::string CloseAndRead() {
    app->formMain->Handle(&TFormMain::FormClose);
    return Contents(SettingsPath());
  }
  static bool HasLine(const std::string& file, const std::string& line) {
    return file.find(line + "\r\n") != std::string::npos ||
           file.find(line + "\n") != std::string::npos;
  }

  TempFolder temp;
  std::unique_ptr<MemoryApplication> app;
};

TEST_F(FormMainSettingsTest, FirstStartShowsTheDefaults) {
  MemoryApplication& a = StartWith("");
  EXPECT_EQ(a.mainWindow.caption, "Tarnwell");
  EXPECT_EQ(a.mainWindow.bounds.Left, 100);
  EXPECT_EQ(a.mainWindow.bounds.Top, 100);
  EXPECT_EQ(a.mainWindow.bounds.Width, 720);
  EXPECT_EQ(a.mainWindow.bounds.Height, 500);
  EXPECT_EQ(a.editFolder.Text(), "/home/someone");
  EXPECT_EQ(a.comboBoxFileSize.ItemIndex(), 3);
  EXPECT_EQ(a.comboBoxTotalSize.ItemIndex(), 0);
  EXPECT_EQ(a.comboBoxReadPercentage.ItemIndex(), 9);
  EXPECT_EQ(a.comboBoxRepeat.ItemIndex(), 0);
  EXPECT_EQ(a.comboBoxPriority.ItemIndex(), 1);
  EXPECT_EQ(a.comboBoxWait.ItemIndex(), 0);
  EXPECT_TRUE(a.checkBoxDeleteFile.Checked());
  EXPECT_TRUE(a.checkBox1MB.Checked());
  EXPECT_TRUE(a.checkBox1MB.Enabled());
  EXPECT_FALSE(a.checkBoxReadOnly.Checked());
  EXPECT_FALSE(a.checkBoxReadRandom.Checked());
  EXPECT_EQ(a.labelFileTotal.Caption(), "1ファイル");
  EXPECT_EQ(a.formMain->FileSize(), 1048576);
  EXPECT_EQ(a.formMain->FileCount(), 1);
  EXPECT_EQ(a.formMain->WaitMSec(), 0);
  EXPECT_EQ(a.formMain->ReadPercent(), 100);
  EXPECT_EQ(a.memoResult.Text(), "");
  EXPECT_TRUE(a.boxes.messages.empty() && a.boxes.errors.empty());
  // The pattern is filled: not all words are zero.
  bool anyNonZero = false;
  for (std::size_t w = 0; w < PatternBuffer::Words && !anyNonZero; w += 997) {
    anyNonZero = a.formMain->PatternBuffer().Word(w) != 0;
  }
  EXPECT_TRUE(anyNonZero);
  // The saved priority is never applied at start-up.
  EXPECT_TRUE(a.services.priorityCalls.empty());
  EXPECT_EQ(a.folderWindow.bounds.Left, 200);
  EXPECT_EQ(a.folderWindow.bounds.Top, 200);
  EXPECT_EQ(a.folderWindow.bounds.Width, 400);
  EXPECT_EQ(a.folderWindow.bounds.Height, 300);
}

TEST_F(FormMainSettingsTest, HandEditedValuesReadAsTheSystemReadsThem) {
  MemoryApplication& a = StartWith(
      "[main]\r\nfilesize=0x1\r\nTotalSize=abc\r\nDeleteAfterWrite=5\r\nReadOnly=\r\n"
      "ReadRandom=1\r\nFolder=\r\nRepeat= 2\r\nPriority=3\r\nWait=$A\r\n"
      "[Window]\r\nLeft=-20\r\nTop=7\r\nWidth=99999999999\r\n[FolderWindow]\r\nHeight=321\r\n");
  EXPECT_EQ(a.comboBoxFileSize.ItemIndex(), 1);
  EXPECT_EQ(a.comboBoxTotalSize.ItemIndex(), 0);  // not a number: the default
  EXPECT_TRUE(a.checkBoxDeleteFile.Checked());    // any non-zero value
  EXPECT_FALSE(a.checkBoxReadOnly.Checked());     // empty: the default
  EXPECT_TRUE(a.checkBoxReadRandom.Checked());
  EXPECT_EQ(a.editFolder.Text(), "");  // present but empty stays empty
  EXPECT_EQ(a.comboBoxRepeat.ItemIndex(), 2);
  EXPECT_EQ(a.comboBoxPriority.ItemIndex(), 3);
  EXPECT_EQ(a.comboBoxWait.ItemIndex(), 10);
  EXPECT_EQ(a.formMain->WaitMSec(), 10000);
  EXPECT_EQ(a.labelFileTotal.Caption(), "102ファイル");
  EXPECT_EQ(a.mainWindow.bounds.Left, -20);
  EXPECT_EQ(a.mainWindow.bounds.Top, 7);
  EXPECT_EQ(a.mainWindow.bounds.Width, 720);  // beyond 32 bits: the default
  EXPECT_EQ(a.folderWindow.bounds.Height, 321);
  EXPECT_TRUE(a.services.priorityCalls.empty());
}

TEST_F(FormMainSettingsTest, IndexesOutsideTheListsLeaveThemWithoutSelection) {
  MemoryApplication& a = StartWith(
      "[Main]\r\nFileSize=8\r\nTotalSize=-1\r\nWriteRead1MB=1\r\nReadPercentage=10\r\n"
      "Repeat=4\r\nPriority=-1\r\nWait=11\r\n");
  for (const DropDownList* list :
       {&a.comboBoxFileSize, &a.comboBoxTotalSize, &a.comboBoxReadPercentage, &a.comboBoxRepeat,
        &a.comboBoxPriority, &a.comboBoxWait}) {
    EXPECT_EQ(list->ItemIndex(), -1);
  }
  // Nothing is derived from a list without a selection, and nothing reads
  // outside a table: no count, no block mode, no pause, the share as it was.
  EXPECT_EQ(a.labelFileTotal.Caption(), "---");
  EXPECT_EQ(a.formMain->FileSize(), 0);
  EXPECT_FALSE(a.checkBox1MB.Checked());
  EXPECT_FALSE(a.checkBox1MB.Enabled());
  EXPECT_EQ(a.formMain->WaitMSec(), 0);
  EXPECT_EQ(a.formMain->ReadPercent(), 0);
  EXPECT_TRUE(a.boxes.errors.empty());

  const std::string saved = CloseAndRead();
  for (const char* line : {"FileSize=-1", "TotalSize=-1", "ReadPercentage=-1", "Repeat=-1",
                           "Priority=-1", "Wait=-1", "WriteRead1MB=0"}) {
    EXPECT_TRUE(HasLine(saved, line)) << line << " in\n" << saved;
  }
}

TEST_F(FormMainSettingsTest, NoReadShareSelectionStillLoadsEverythingAfterIt) {
  MemoryApplication& a =
      StartWith("[Main]\r\nReadPercentage=-1\r\nRepeat=1\r\nWait=3\r\nFileSize=0\r\n");
  EXPECT_EQ(a.comboBoxReadPercentage.ItemIndex(), -1);
  EXPECT_EQ(a.comboBoxRepeat.ItemIndex(), 1);
  EXPECT_EQ(a.formMain->WaitMSec(), 3000);
  EXPECT_EQ(a.labelFileTotal.Caption(), "1024ファイル");
  EXPECT_TRUE(a.boxes.errors.empty());
  // Picking a share later takes effect as usual.
  a.comboBoxReadPercentage.SetItemIndex(2);
  a.formMain->Handle(&TFormMain::ComboBoxReadPercentageCloseUp);
  EXPECT_EQ(a.formMain->ReadPercent(), 0.5);
}

TEST_F(FormMainSettingsTest, SmallFileSizeDropsASavedOneMegabyteTick) {
  MemoryApplication& a = StartWith("[Main]\r\nFileSize=1\r\nWriteRead1MB=1\r\n");
  EXPECT_FALSE(a.checkBox1MB.Checked());
  EXPECT_FALSE(a.checkBox1MB.Enabled());
  EXPECT_TRUE(HasLine(CloseAndRead(), "WriteRead1MB=0"));
}

TEST_F(FormMainSettingsTest, FirstCloseWritesEveryKeyAndKeepsOtherSections) {
  Put(SettingsPath(), "[Other]\r\nKeep=yes\r\n");
  MemoryApplication& a = StartWith("");
  a.mainWindow.bounds = {11, 22, 640, 480};
  const std::string saved = CloseAndRead();
  EXPECT_TRUE(HasLine(saved, "Keep=yes"));
  for (const char* line :
       {"[Window]", "Top=22", "Left=11", "Width=640", "Height=480", "[Main]",
        "Folder=/home/someone", "FileSize=3", "TotalSize=0", "DeleteAfterWrite=1", "WriteRead1MB=1",
        "ReadOnly=0", "ReadRandom=0", "ReadPercentage=9", "Repeat=0", "Priority=1", "Wait=0"}) {
    EXPECT_TRUE(HasLine(saved, line)) << line << " in\n" << saved;
  }
  // The keys in the order they are written.
  EXPECT_LT(saved.find("Folder="), saved.find("FileSize="));
  EXPECT_LT(saved.find("ReadRandom="), saved.find("ReadPercentage="));
  EXPECT_LT(saved.find("Priority="), saved.find("Wait="));
  EXPECT_TRUE(a.boxes.messages.empty());
}

TEST_F(FormMainSettingsTest, ChoicesSurviveARestart) {
  {
    MemoryApplication& a = StartWith("");
    a.editFolder.SetText("/data/ベンチ");
    a.comboBoxFileSize.SetItemIndex(7);
    a.comboBoxTotalSize.SetItemIndex(7);
    a.checkBoxDeleteFile.SetChecked(false);
    a.checkBoxReadRandom.SetChecked(true);
    a.comboBoxReadPercentage.SetItemIndex(6);
    a.comboBoxRepeat.SetItemIndex(3);
    a.comboBoxPriority.SetItemIndex(2);
    a.comboBoxWait.SetItemIndex(4);
    a.mainWindow.bounds = {5, 6, 800, 600};
    CloseAndRead();
  }
  MemoryApplication& b = StartWith("");
  EXPECT_EQ(b.editFolder.Text(), "/data/ベンチ");
  EXPECT_EQ(b.comboBoxFileSize.ItemIndex(), 7);
  EXPECT_EQ(b.labelFileTotal.Caption(), "10ファイル");
  EXPECT_FALSE(b.checkBoxDeleteFile.Checked());
  EXPECT_TRUE(b.checkBoxReadRandom.Checked());
  EXPECT_EQ(b.formMain->ReadPercent(), 10);
  EXPECT_EQ(b.comboBoxRepeat.ItemIndex(), 3);
  EXPECT_EQ(b.comboBoxPriority.ItemIndex(), 2);
  EXPECT_EQ(b.formMain->WaitMSec(), 4000);
  EXPECT_EQ(b.mainWindow.bounds.Left, 5);
  EXPECT_EQ(b.mainWindow.bounds.Height, 600);
}

TEST_F(FormMainSettingsTest, AFailedSaveIsReportedAndTheWindowStillCloses) {
  MemoryApplication& a = StartWith("");
  // A folder where the file should be: no save can replace it.
  std::filesystem::create_directory(SettingsPath());
  a.formMain->Handle(&TFormMain::FormClose);
  ASSERT_EQ(a.boxes.messages.size(), 1u);
  EXPECT_EQ(a.boxes.messages[0], "INIファイルへの書き込みを中止します");
  EXPECT_TRUE(a.boxes.errors.empty());
}

TEST_F(FormMainSettingsTest, FolderWindowSavesItsBoundsAndReportsAFailedSave) {
  MemoryApplication& a = StartWith("[Main]\r\nWait=2\r\n");
  a.folderWindow.bounds = {1, 2, 3, 4};
  a.formFolder->FormClose();
  const std::string saved = Contents(SettingsPath());
  EXPECT_TRUE(HasLine(saved, "[FolderWindow]"));
  EXPECT_TRUE(HasLine(saved, "Top=2"));
  EXPECT_TRUE(HasLine(saved, "Width=3"));
  EXPECT_TRUE(HasLine(saved, "Wait=2"));

  std::filesystem::remove(SettingsPath());
  std::filesystem::create_directory(SettingsPath());
  a.formFolder->FormClose();
  EXPECT_EQ(a.boxes.messages, std::vector<std::string>{"INIファイルへの書き込みを中止します"});
}

struct SizeCase {
  int fileSize;
  int totalSize;
  const char* label;
  std::int32_t fileCount;
};

class FileCountTest : public FormMainSettingsTest,
                      public ::testing::WithParamInterface<SizeCase> {};

TEST_P(FileCountTest, CloseUpDerivesTheCountAndTheLabel) {
  MemoryApplication& a = StartWith("");
  a.comboBoxFileSize.SetItemIndex(GetParam().fileSize);
  a.comboBoxTotalSize.SetItemIndex(GetParam().totalSize);
  a.formMain->Handle(&TFormMain::ComboBoxFileSizeCloseUp);
  EXPECT_EQ(a.labelFileTotal.Caption(), GetParam().label);
  EXPECT_EQ(a.formMain->FileCount(), GetParam().fileCount);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FileCountTest,
                         ::testing::Values(SizeCase{0, 7, "1048576ファイル", 1048576},
                                           SizeCase{1, 7, "104857ファイル", 104857},
                                           SizeCase{2, 0, "10ファイル", 10},
                                           SizeCase{4, 7, "204ファイル", 204},
                                           SizeCase{7, 7, "10ファイル", 10},
                                           // too large: the count stays as it was
                                           SizeCase{4, 0, "---", 1}),
                         [](const ::testing::TestParamInfo<SizeCase>& info) {
                           return "Size" + std::to_string(info.param.fileSize) + "Total" +
                                  std::to_string(info.param.totalSize);
                         });

TEST_F(FormMainSettingsTest, OneMegabyteBlocksFollowTheFileSizeAtCloseUp) {
  MemoryApplication& a = StartWith("");
  a.comboBoxFileSize.SetItemIndex(4);  // 5MB into 1MB: no count, but big files
  a.formMain->Handle(&TFormMain::ComboBoxFileSizeCloseUp);
  EXPECT_EQ(a.formMain->FileSize(), 5242880);
  EXPECT_TRUE(a.checkBox1MB.Enabled());
  EXPECT_TRUE(a.checkBox1MB.Checked());

  a.comboBoxFileSize.SetItemIndex(2);
  a.formMain->Handle(&TFormMain::ComboBoxFileSizeCloseUp);
  EXPECT_FALSE(a.checkBox1MB.Enabled());
  EXPECT_FALSE(a.checkBox1MB.Checked());

  a.comboBoxFileSize.SetItemIndex(3);
  a.formMain->Handle(&TFormMain::ComboBoxFileSizeCloseUp);
  EXPECT_TRUE(a.checkBox1MB.Enabled());
  EXPECT_FALSE(a.checkBox1MB.Checked());
}

TEST_F(FormMainSettingsTest, ValuesChangeOnlyAtCloseUp) {
  MemoryApplication& a = StartWith("");
  a.comboBoxWait.SetItemIndex(10);  // with the keyboard: no close-up yet
  a.comboBoxReadPercentage.SetItemIndex(2);
  EXPECT_EQ(a.formMain->WaitMSec(), 0);
  EXPECT_EQ(a.formMain->ReadPercent(), 100);
  a.formMain->Handle(&TFormMain::ComboBoxWaitCloseUp);
  a.formMain->Handle(&TFormMain::ComboBoxReadPercentageCloseUp);
  EXPECT_EQ(a.formMain->WaitMSec(), 10000);
  EXPECT_EQ(a.formMain->ReadPercent(), 0.5);
}

TEST_F(FormMainSettingsTest, PriorityCloseUpSetsTheClassOrReportsTheRefusal) {
  MemoryApplication& a = StartWith("");
  a.formMain->Handle(&TFormMain::ComboBoxPriorityCloseUp);  // "Normal", unchanged
  ASSERT_EQ(a.services.priorityCalls.size(), 1u);
  EXPECT_EQ(a.services.priorityCalls[0].first, PriorityClass::Normal);
  EXPECT_EQ(a.formMain->Priority(), PriorityClass::Normal);

  a.services.refusePriority = true;
  a.comboBoxPriority.SetItemIndex(3);
  a.formMain->Handle(&TFormMain::ComboBoxPriorityCloseUp);
  EXPECT_EQ(a.boxes.messages, std::vector<std::string>{"優先度の設定に失敗しました"});
  EXPECT_EQ(a.formMain->Priority(), PriorityClass::Normal);  // the old class stays

  a.comboBoxPriority.SetItemIndex(-1);
  a.formMain->Handle(&TFormMain::ComboBoxPriorityCloseUp);
  EXPECT_EQ(a.boxes.messages.size(), 2u);
  EXPECT_EQ(a.services.priorityCalls.size(), 2u);  // no call without a selection
}

TEST_F(FormMainSettingsTest, MenuAndFolderButtonReachTheirWindows) {
  MemoryApplication& a = StartWith("");
  a.formMain->Handle(&TFormMain::ButtonFolderClick);
  a.formMain->Handle(&TFormMain::MenuHelpStartMenuClick);
  a.formMain->Handle(&TFormMain::MenuFExitClick);
  EXPECT_EQ(a.folderWindow.modalShows, 1);
  EXPECT_EQ(a.startMenuWindow.modalShows, 1);
  EXPECT_EQ(a.mainWindow.closeRequests, 1);
}

}  // namespace
}  // namespace tarnwell::ui::test
