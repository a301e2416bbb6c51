// Benchmark runs started from the main window: real runs on small files in
// a temporary folder, with the worker thread's reports pumped through the
// in-memory GUI queue.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "MemoryControls.h"
#include "engine/judge/Verdict.h"
#include "engine/output/RunHistory.h"
#include "platform/AtomicFile.h"

namespace tarnwell::ui::test {
namespace {

using platform::PriorityClass;

class FormMainRunTest : public ::testing::Test {
protected:
  void SetUp() override {
    // One file of 1 MB, one repetition, no pause: quick on any disk.
    Put(temp / "tarnwell.INI", "[Main]\r\nFolder=" + temp.Path() +
                                   "\r\nFileSize=3\r\nTotalSize=0\r\nWait=0\r\nRepeat=0\r\n");
    app = std::make_unique<MemoryApplication>(temp / "tarnwell.INI");
    app->services.environment.randomListPath = temp / "list/test.txt";
    app->Start();
  }

  void Click() { app->formMain->Handle(&TFormMain::ButtonStartClick); }
  bool WaitForEnd() {
    return app->gui.PumpUntil([&] { return !app->formMain->Running(); });
  }
  void Select(DropDownList& list, int index, void (TFormMain::*closeUp)()) {
    list.SetItemIndex(index);
    app->formMain->Handle(closeUp);
  }
  std::string RunFolder() const { return temp / "TRW_TEMP"; }

  TempFolder temp;
  std::unique_ptr<MemoryApplication> app;
};

TEST_F(FormMainRunTest, CompleteRunFillsTheMemoHalfRowByHalfRow) {
  MemoryApplication& a = *app;
  a.comboBoxRepeat.SetItemIndex(1);  // three repetitions
  Click();
  ASSERT_TRUE(a.formMain->Running());
  EXPECT_EQ(a.buttonStart.Caption(), "中止");
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(a.buttonStart.Caption(), "開始");
  EXPECT_TRUE(a.boxes.messages.empty());
  EXPECT_TRUE(a.boxes.errors.empty());

  // Header and write half, read half, ... and the summaries: seven texts,
  // each the one before it plus more, each ending in the memo's own line end.
  ASSERT_EQ(a.memoResult.history.size(), 7u);
  for (std::size_t k = 0; k < a.memoResult.history.size(); ++k) {
    const std::string& text = a.memoResult.history[k];
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    if (k > 0) {
      const std::string& before = a.memoResult.history[k - 1];
      EXPECT_EQ(text.compare(0, before.size() - 2, before, 0, before.size() - 2), 0);
    }
  }
  EXPECT_EQ(a.memoResult.history[0].rfind("回数\t時間\t書き(Mbps）", 0), 0u);
  EXPECT_EQ(a.memoResult.history[0].substr(a.memoResult.history[0].size() - 3), "\t\r\n");
  const std::string& full = a.memoResult.Text();
  EXPECT_NE(full.find("\r\n3\t"), std::string::npos);
  EXPECT_NE(full.find("●書き込み"), std::string::npos);
  EXPECT_NE(full.find("●読み込み"), std::string::npos);
  EXPECT_EQ(full.substr(full.size() - 4), "\r\n\r\n");
  // Deletion was chosen: nothing is left behind.
  EXPECT_FALSE(std::filesystem::exists(RunFolder()));
}

TEST_F(FormMainRunTest, TheVerifyItemIsSavedAndVerifiesTheNextRuns) {
  MemoryApplication& a = *app;
  EXPECT_FALSE(a.menuFVerify.checked);  // off until chosen
  a.menuFVerify.checked = true;         // as picking it in the menu does
  a.formMain->Handle(&TFormMain::FormClose);
  EXPECT_NE(Contents(temp / "tarnwell.INI").find("[Tarnwell]\nVerify=1\n"), std::string::npos);

  app = std::make_unique<MemoryApplication>(temp / "tarnwell.INI");
  app->Start();
  MemoryApplication& b = *app;
  ASSERT_TRUE(b.menuFVerify.checked);
  b.checkBoxDeleteFile.SetChecked(false);
  Click();
  ASSERT_TRUE(WaitForEnd());
  EXPECT_NE(b.labelProgress.Caption().find("2048 セクタはすべて正常"), std::string::npos)
      << b.labelProgress.Caption();
  EXPECT_TRUE(b.boxes.messages.empty());

  // A byte changes on disk: the read-only run ends with one box saying where.
  {
    std::fstream file(RunFolder() + "/00000001.bin",
                      std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(1000);
    const char byte = static_cast<char>(file.get());
    file.seekp(1000);
    file.put(static_cast<char>(~byte));
  }
  b.checkBoxReadOnly.SetChecked(true);
  Click();
  ASSERT_TRUE(WaitForEnd());
  ASSERT_EQ(b.boxes.messages.size(), 1u);
  EXPECT_EQ(b.boxes.messages[0].rfind(
                "読み込んだデータの検証で不良セクタが見つかりました。\n検証: 1 / 2048", 0),
            0u)
      << b.boxes.messages[0];
  EXPECT_NE(b.boxes.messages[0].find("00000001.bin の 512 バイト目（破損）"), std::string::npos);
}

TEST_F(FormMainRunTest, AfterARunItsReportCanBeSavedAndItJoinsTheHistory) {
  MemoryApplication& a = *app;
  a.services.historyPath = temp / "data/history.jsonl";
  EXPECT_FALSE(a.menuFReport.Enabled());  // nothing measured yet
  Click();
  EXPECT_FALSE(a.menuFReport.Enabled());
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(a.menuFReport.Enabled());
  int kept = 0;
  ScanHistoryNewestFirst(a.services.historyPath, [&](RunRecord&) { return ++kept; });
  EXPECT_EQ(kept, 1);

  // Cancelled: nothing written. Chosen: written, then shown in the browser.
  a.formMain->Handle(&TFormMain::MenuFReportClick);
  EXPECT_TRUE(a.services.opened.empty());
  a.saveReport.answer = temp / "report.html";
  a.formMain->Handle(&TFormMain::MenuFReportClick);
  EXPECT_TRUE(a.saveReport.suggested.back().ends_with(".html"));
  EXPECT_EQ(a.saveReport.suggested.back().find(':'), std::string::npos);
  EXPECT_EQ(a.services.opened, std::vector<std::string>{temp / "report.html"});
  EXPECT_NE(Contents(temp / "report.html").find(a.memoResult.Text().substr(0, 40)),
            std::string::npos);
  // A failure says why on its own line; a link at the name is not followed.
  a.saveReport.answer = temp / "missing/report.html";
  a.formMain->Handle(&TFormMain::MenuFReportClick);
  EXPECT_EQ(a.boxes.messages.back(),
            temp / "missing/report.htmlに書き込めません\n" + std::strerror(ENOENT));
  std::filesystem::create_symlink(temp / "report.html", temp / "link.html");
  a.saveReport.answer = temp / "link.html";
  a.formMain->Handle(&TFormMain::MenuFReportClick);
  EXPECT_EQ(a.boxes.messages.back(),
            temp / "link.htmlに書き込めません\n" + platform::SaveRefusal::Link);
  // Never over the history, however it is spelt.
  a.saveReport.answer = temp / "data/../data/history.jsonl";
  a.formMain->Handle(&TFormMain::MenuFReportClick);
  EXPECT_EQ(a.boxes.messages.back(),
            a.saveReport.answer + "に書き込めません\n" + FormMainTexts::OwnFile);
  ScanHistoryNewestFirst(a.services.historyPath, [&](RunRecord&) { return ++kept; });
  EXPECT_EQ(kept, 2);

  // A FIFO where the history goes: the run is left out at once, and says why.
  std::filesystem::remove(a.services.historyPath);
  ASSERT_EQ(::mkfifo(a.services.historyPath.c_str(), 0600), 0);
  Click();
  ASSERT_TRUE(WaitForEnd());
  // It comes first on the status line; the run's own notes follow it.
  EXPECT_TRUE(a.labelProgress.Caption().starts_with(std::string(FormMainTexts::HistoryNotWritten) +
                                                    "（" + RunMessages::NotRegular + "）"));
}

TEST_F(FormMainRunTest, WholeDriveCheckAsksFirstAndRunsOnlyOnYes) {
  MemoryApplication& a = *app;
  a.services.environment.freeBytes = 19 * 1048576;  // the 16 MB margin and three 1 MB files
  a.formMain->Handle(&TFormMain::MenuFCheckClick);  // answered No
  ASSERT_EQ(a.boxes.questions.size(), 1u);
  EXPECT_EQ(a.boxes.questions[0].rfind("空き容量全体に 3 MB を書き込んで検査します。\n", 0), 0u);
  EXPECT_NE(a.boxes.questions[0].find(WholeDriveTexts::ConfirmNoTime), std::string::npos);
  EXPECT_FALSE(a.formMain->Running());
  EXPECT_FALSE(std::filesystem::exists(RunFolder()));

  a.boxes.answer = true;
  a.formMain->Handle(&TFormMain::MenuFCheckClick);
  ASSERT_TRUE(a.formMain->Running());
  EXPECT_FALSE(a.menuFCheck.Enabled());
  a.formMain->ShowProgress();
  EXPECT_EQ(a.labelProgress.Caption().find("繰り返し"), std::string::npos);  // the check's own line
  ASSERT_TRUE(WaitForEnd());
  EXPECT_TRUE(a.menuFCheck.Enabled());
  EXPECT_EQ(a.memoResult.Text().find("\r\n2\t"), std::string::npos);  // one repetition
  EXPECT_NE(a.labelProgress.Caption().find("実際に使える容量はおよそ 3 MB"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(RunFolder()));
  // The next question gives the time at the speed just measured.
  a.boxes.answer = false;
  a.formMain->Handle(&TFormMain::MenuFCheckClick);
  EXPECT_NE(a.boxes.questions.back().find("前回の書き込み速度（"), std::string::npos);
}

TEST_F(FormMainRunTest, ControlsAreLockedDuringARunAndRestoredAfterIt) {
  MemoryApplication& a = *app;
  Select(a.comboBoxFileSize, 2, &TFormMain::ComboBoxFileSizeCloseUp);
  EXPECT_FALSE(a.checkBox1MB.Enabled());  // 100 KB files
  // A long pause keeps the run going until it is stopped.
  a.comboBoxRepeat.SetItemIndex(1);
  Select(a.comboBoxWait, 10, &TFormMain::ComboBoxWaitCloseUp);
  Click();
  ASSERT_TRUE(a.formMain->Running());
  for (const Control* control : std::initializer_list<const Control*>{
           &a.editFolder, &a.buttonFolder, &a.comboBoxFileSize, &a.comboBoxTotalSize,
           &a.checkBoxDeleteFile, &a.checkBox1MB, &a.checkBoxReadOnly, &a.checkBoxReadRandom,
           &a.comboBoxReadPercentage, &a.comboBoxRepeat, &a.comboBoxPriority, &a.comboBoxWait,
           &a.menuHelpStartMenu, &a.menuHelpVersion}) {
    EXPECT_FALSE(control->Enabled());
  }
  EXPECT_TRUE(a.buttonStart.Enabled());
  EXPECT_TRUE(a.menuFExit.Enabled());

  // The progress line tells where the run is.
  ASSERT_TRUE(a.gui.PumpUntil([&] { return a.memoResult.history.size() == 1; }));
  ASSERT_TRUE(a.gui.Ticking());
  // The worker enters the pause right after it has reported the write half.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  do {
    std::this_thread::yield();
    a.gui.Tick();
  } while (a.labelProgress.Caption().find("待機中") == std::string::npos &&
           std::chrono::steady_clock::now() < deadline);
  EXPECT_NE(a.labelProgress.Caption().find("待機中"), std::string::npos)
      << a.labelProgress.Caption();
  EXPECT_NE(a.labelProgress.Caption().find("繰り返し 1/3"), std::string::npos);
  EXPECT_NE(a.labelProgress.Caption().find("経過"), std::string::npos);

  Click();  // "中止"
  ASSERT_TRUE(WaitForEnd());
  EXPECT_FALSE(a.gui.Ticking());
  EXPECT_TRUE(a.editFolder.Enabled());
  EXPECT_TRUE(a.comboBoxWait.Enabled());
  EXPECT_FALSE(a.checkBox1MB.Enabled());  // as it was before the run
  EXPECT_TRUE(a.boxes.messages.empty());  // a stop asked for is not an error
  // The memo keeps what it last received: the header and the write half.
  EXPECT_EQ(a.memoResult.Text().substr(a.memoResult.Text().size() - 3), "\t\r\n");
  // The progress line is gone; only the measured write phase's verdict stays.
  EXPECT_EQ(a.labelProgress.Caption().find("待機中"), std::string::npos);
  EXPECT_TRUE(a.labelProgress.Caption().empty() ||
              a.labelProgress.Caption().starts_with(VerdictTexts::Write))
      << a.labelProgress.Caption();
}

TEST_F(FormMainRunTest, RunUsesTheSizesOfTheListsAndKeepsThemAfterwards) {
  MemoryApplication& a = *app;
  // Changed with the keyboard, without a close-up: the label is stale, but
  // the run derives the sizes afresh and the window keeps what it used.
  a.comboBoxFileSize.SetItemIndex(2);
  Click();
  ASSERT_TRUE(WaitForEnd());
  EXPECT_EQ(a.labelFileTotal.Caption(), "1ファイル");
  EXPECT_EQ(a.formMain->FileSize(), 102400);
  EXPECT_EQ(a.formMain->FileCount(), 10);
}

TEST_F(FormMainRunTest, WorkerRunsAtTheClassLastSet) {
  MemoryApplication& a = *app;
  Select(a.comboBoxPriority, 0, &TFormMain::ComboBoxPriorityCloseUp);
  a.services.refusePriority = true;
  Select(a.comboBoxPriority, 2, &TFormMain::ComboBoxPriorityCloseUp);  // refused
  a.services.refusePriority = false;
  Click();
  ASSERT_TRUE(WaitForEnd());
  std::lock_guard lock(a.services.priorityMutex);
  ASSERT_EQ(a.services.priorityCalls.size(), 3u);
  EXPECT_EQ(a.services.priorityCalls[2].first, PriorityClass::Idle);
  EXPECT_FALSE(a.services.priorityCalls[2].second);  // on the worker thread
}

TEST_F(FormMainRunTest, EmptyFolderTextDoesNothingAndARelativeOneIsRefused) {
  MemoryApplication& a = *app;
  a.editFolder.SetText("");
  a.memoResult.SetText("earlier");
  Click();
  EXPECT_FALSE(a.formMain->Running());
  EXPECT_EQ(a.memoResult.Text(), "earlier");
  EXPECT_TRUE(a.boxes.messages.empty());

  // "zz" would be measured wherever the program was started.
  a.editFolder.SetText("zz");
  Click();
  EXPECT_FALSE(a.formMain->Running());
  EXPECT_EQ(a.boxes.messages,
            std::vector<std::string>{"zz" + std::string(FormMainTexts::FolderNotAbsolute)});
  EXPECT_FALSE(std::filesystem::exists("zz"));
}

TEST_F(FormMainRunTest, EachStopShowsItsMessageWhenTheRunHasEnded) {
  MemoryApplication& a = *app;
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::string message;
    bool error;
    bool memoChanged;
  };
  const std::string blocker = temp / "blocker";
  Put(blocker, "a file, not a folder");
  const std::vector<Case> cases = {
      {"folder not created", [&] { a.editFolder.SetText(blocker); },
       // The reason follows on a line of its own: the file in the way, not
       // the system's "File exists".
       "テンポラリ・ディレクトリを作成できませんでした\n" + blocker +
           "には、フォルダではないもの（ファイルなど）があります",
       false, false},
      {"file larger than total",
       [&] {
         a.editFolder.SetText(temp.Path());
         a.comboBoxFileSize.SetItemIndex(4);
       },
       "1ファイルの大きさが総容量を超えています", false, false},
      {"read share too small",
       [&] {
         a.comboBoxFileSize.SetItemIndex(3);
         Select(a.comboBoxReadPercentage, 8, &TFormMain::ComboBoxReadPercentageCloseUp);
       },
       "ファイルの数に比べて、読み込み％が過小です", false, true},
      {"no test files to read",
       [&] {
         a.checkBoxReadOnly.SetChecked(true);
         Select(a.comboBoxReadPercentage, 9, &TFormMain::ComboBoxReadPercentageCloseUp);
         std::filesystem::remove_all(RunFolder());
       },
       RunFolder() + "/00000001.binを開けません\n" + std::strerror(ENOENT), false, true},
      {"random list not created",
       [&] {
         a.checkBoxReadOnly.SetChecked(false);
         a.checkBoxReadRandom.SetChecked(true);
         a.services.environment.randomListPath = blocker + "/test.txt";
       },
       "ファイル " + blocker + "/test.txt を作成できません.", true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    a.memoResult.SetText("before");
    a.boxes.messages.clear();
    a.boxes.errors.clear();
    c.arrange();
    Click();
    ASSERT_TRUE(WaitForEnd());
    const std::vector<std::string> expected{c.message};
    EXPECT_EQ(c.error ? a.boxes.errors : a.boxes.messages, expected);
    EXPECT_TRUE((c.error ? a.boxes.messages : a.boxes.errors).empty());
    EXPECT_EQ(a.memoResult.Text() != "before", c.memoChanged);
    EXPECT_EQ(a.buttonStart.Caption(), "開始");
    EXPECT_TRUE(a.editFolder.Enabled());
  }
}

TEST_F(FormMainRunTest, ClosingDuringARunStopsItThenSaves) {
  MemoryApplication& a = *app;
  Select(a.comboBoxWait, 10, &TFormMain::ComboBoxWaitCloseUp);
  a.comboBoxRepeat.SetItemIndex(3);
  a.editFolder.SetText(temp / "sub");
  Click();
  ASSERT_TRUE(a.gui.PumpUntil([&] { return a.memoResult.history.size() == 1; }));
  const auto started = std::chrono::steady_clock::now();
  a.formMain->Handle(&TFormMain::FormClose);
  // The ten-second pause was cut short.
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
  EXPECT_FALSE(a.formMain->Running());
  EXPECT_TRUE(a.boxes.messages.empty());
  const std::string saved = Contents(temp / "tarnwell.INI");
  EXPECT_NE(saved.find("Folder=" + (temp / "sub")), std::string::npos);
  EXPECT_NE(saved.find("Repeat=3"), std::string::npos);
  // The run's late end and memo reports change nothing.
  const std::string memo = a.memoResult.Text();
  a.gui.PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(a.memoResult.Text(), memo);
  EXPECT_EQ(a.buttonStart.Caption(), "開始");
}

TEST_F(FormMainRunTest, DestroyingTheWindowDuringARunStopsIt) {
  Select(app->comboBoxWait, 10, &TFormMain::ComboBoxWaitCloseUp);
  Click();
  ASSERT_TRUE(app->formMain->Running());
  app.reset();  // must neither hang nor touch freed memory
}

}  // namespace
}  // namespace tarnwell::ui::test
