// The native windows under Wine, driven by messages as a user's clicks and
// keys would drive them: the layout's texts, close-ups, a run from 開始, the
// settings written at close, the folder chooser's OK and focus, and the
// Start-menu dialog's link.
// clang-format off: windows.h comes before the headers that build on it.
#include <windows.h>
// clang-format on
#include <commctrl.h>
#include <gtest/gtest.h>
#include <ole2.h>
#include <shlobj.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "engine/run/ResultTable.h"
#include "platform/Paths.h"
#include "platform/win32/Encoding.h"
#include "tests/TempFolder.h"
#include "ui/FormMainLayout.h"
#include "ui/win32/ProgramWindows.h"
#include "ui/win32/WinControls.h"

namespace tarnwell::ui::win32 {
namespace {

using tarnwell::testing::TempFolder;

// The free space a whole-drive check is told of: three 1 MB files after the
// 16 MB margin, whatever the disk really has.
class SmallDiskEnvironment : public RunEnvironment {
public:
  platform::DeviceIdentity Identify(const std::string& folder) override {
    platform::DeviceIdentity device = RunEnvironment::Identify(folder);
    device.FreeBytes = 19 * 1048576;
    return device;
  }
};

class TestServices : public SystemServices {
public:
  explicit TestServices(const std::string& folder) : SystemServices('.'), folder_(folder) {}
  std::string SettingsPath() override { return folder_ + "\\Tarnwell.INI"; }
  std::string HistoryPath() override { return {}; }
  std::string ProgramsFolder(bool) override { return folder_; }
  RunEnvironment& Environment() override { return environment_; }

private:
  std::string folder_;
  SmallDiskEnvironment environment_;
};

class RecordingBoxes : public MessageBoxes {
public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    return answer;
  }
  std::vector<std::string> questions;
  bool answer = false;
  void StopWaiting() override { stoppedAfter = static_cast<int>(messages.size()); }
  std::vector<std::string> messages, errors;
  int stoppedAfter = -1;  // how many messages came before StopWaiting
};

std::string Bytes(const std::string& path) {
  std::ifstream file(std::filesystem::path(platform::win32::Wide(path)), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), {});
}

void Pump() {
  MSG message{};
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

template <class Predicate>
bool WaitUntil(Predicate done, int milliseconds = 120000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    Pump();
  }
  return true;
}

class WindowTest : public ::testing::Test {
protected:
  void SetUp() override {
    ::OleInitialize(nullptr);
    services = std::make_unique<TestServices>(temp.Path());
    Open();
  }
  void Open() {
    windows = std::make_unique<ProgramWindows>(*services, boxes, [this] {
      return FolderRoots{.DesktopPath = temp.Path(),
                         .DesktopLabel = "デスクトップ",
                         .HomePath = temp.Path(),
                         .MountPoints = {"C:\\"}};
    });
    ::ShowWindow(Main(), SW_SHOWNORMAL);
    Pump();
  }
  void TearDown() override {
    windows.reset();
    Pump();
    ::OleUninitialize();
  }
  HWND Main() { return windows->Main().Handle(); }
  HWND Control(const char* name) { return windows->Main().Control(name); }
  std::string Text(const char* name) { return WindowText(Control(name)); }
  // What a click on the control, or a chosen menu item, sends its window.
  void Click(const char* name) {
    HWND control = Control(name);
    if (control != nullptr) {
      ::SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
    } else {
      ::SendMessageW(Main(), WM_COMMAND, MAKEWPARAM(MainWindow::MenuCommand(name), 0), 0);
    }
  }
  void Select(const char* list, int index) {
    ::SendMessageW(Control(list), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  }
  void DropDownAndClose(const char* list) {
    ::SendMessageW(Control(list), CB_SHOWDROPDOWN, TRUE, 0);
    ::SendMessageW(Control(list), CB_SHOWDROPDOWN, FALSE, 0);
  }

  TempFolder temp;
  RecordingBoxes boxes;
  std::unique_ptr<TestServices> services;
  std::unique_ptr<ProgramWindows> windows;
};

TEST_F(WindowTest, TheWindowsShowTheLayoutsTexts) {
  EXPECT_EQ(WindowText(Main()), "Tarnwell");
  for (const ControlLayout& control : FormMainControls()) {
    HWND handle = windows->Main().Control(control.Name);
    ASSERT_NE(handle, nullptr) << control.Name;
    if (control.Kind == ControlKind::DropDownList) {
      EXPECT_EQ(::SendMessageW(handle, CB_GETCOUNT, 0, 0),
                static_cast<LRESULT>(control.Items.size()));
    } else if (control.Kind != ControlKind::Edit && control.Name != "LabelFileTotal") {
      EXPECT_EQ(WindowText(handle), control.Text) << control.Name;
    }
  }
  // The defaults of a first start.
  EXPECT_EQ(Text("EditFolder"), "C:\\");
  EXPECT_EQ(Text("LabelFileTotal"), "1ファイル");
  wchar_t item[64] = {};
  ::GetMenuStringW(::GetMenu(Main()), MainWindow::MenuCommand("MenuFExit"), item, 64, MF_BYCOMMAND);
  EXPECT_EQ(Utf8(item), "終了(&X)");
  EXPECT_EQ(WindowText(windows->Folder().Handle()), "フォルダ選択");
  EXPECT_EQ(WindowText(windows->StartMenu().Handle()), "だれのスタートメニュー？");
  ASSERT_EQ(windows->StartMenu().Items().size(), 2u);
  EXPECT_EQ(WindowText(windows->StartMenu().Items()[1]), "全ユーザーのスタートメニュー");
  EXPECT_EQ(::GetFocus(), Control("EditFolder"));

  // The memo's face is sized to FixedSys's 8-pixel half-width cell: at the
  // first start's size the table's header and its widest row each take one
  // line, and in the designed 707 pixels (frame included) the rows still do.
  HWND memo = Control("MemoResult");
  HDC dc = ::GetDC(memo);
  HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(memo, WM_GETFONT, 0, 0)));
  SIZE zero{};
  ::GetTextExtentPoint32W(dc, L"0", 1, &zero);
  const int dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
  ::SelectObject(dc, old);
  ::ReleaseDC(memo, dc);
  EXPECT_EQ(zero.cx, ::MulDiv(8, dpi, 96));
  const std::string row = "10\t0.001\t 9999.999\t 9999.999\t0.001\t 9999.999\t 9999.999";
  ::SetWindowTextW(memo, platform::win32::Wide(ResultTable::Header + row).c_str());
  EXPECT_EQ(::SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 2);
  ::MoveWindow(Main(), 0, 0, 707, 433, TRUE);
  ::SetWindowTextW(memo, platform::win32::Wide(row).c_str());
  EXPECT_EQ(::SendMessageW(memo, EM_GETLINECOUNT, 0, 0), 1);
}

TEST_F(WindowTest, TheHelpCommandsAnswerInBoxes) {
  Click("MenuHelpVersion");
  ASSERT_EQ(boxes.messages.size(), 1u);
  EXPECT_NE(boxes.messages[0].find("OS: "), std::string::npos) << boxes.messages[0];
  // No README.TXT beside the test program: the advice names Notepad.
  Click("MenuHelpReadme");
  ASSERT_EQ(boxes.messages.size(), 2u);
  EXPECT_NE(boxes.messages[1].find("README.TXTを開けませんでした。\r\nWindows付属のメモ帳"),
            std::string::npos)
      << boxes.messages[1];
  EXPECT_TRUE(boxes.errors.empty());
}

TEST_F(WindowTest, OnlyAClosingListRunsItsHandlerAndNeverOnAHiddenWindow) {
  Select("ComboBoxFileSize", 0);  // 1KB, as arrow keys on a closed list would
  Pump();
  EXPECT_EQ(Text("LabelFileTotal"), "1ファイル");
  DropDownAndClose("ComboBoxFileSize");
  Pump();
  EXPECT_EQ(Text("LabelFileTotal"), "1024ファイル");
  EXPECT_FALSE(::IsWindowEnabled(Control("CheckBox1MB")));

  ::SendMessageW(Control("ComboBoxTotalSize"), CB_SHOWDROPDOWN, TRUE, 0);
  Select("ComboBoxTotalSize", 1);
  ::ShowWindow(Main(), SW_HIDE);
  ::SendMessageW(Control("ComboBoxTotalSize"), CB_SHOWDROPDOWN, FALSE, 0);
  Pump();
  EXPECT_EQ(Text("LabelFileTotal"), "1024ファイル");
}

TEST_F(WindowTest, StartRunsABenchmarkAndTheMemoHoldsTheTable) {
  ::SetWindowTextW(Control("EditFolder"), platform::win32::Wide(temp.Path()).c_str());
  Select("ComboBoxRepeat", 1);  // three repetitions of one 1 MB file
  Click("ButtonStart");
  EXPECT_EQ(Text("ButtonStart"), "中止");
  EXPECT_FALSE(::IsWindowEnabled(Control("EditFolder")));
  ASSERT_TRUE(WaitUntil([&] { return Text("ButtonStart") == "開始"; }));
  EXPECT_TRUE(::IsWindowEnabled(Control("EditFolder")));
  EXPECT_TRUE(boxes.errors.empty() && boxes.messages.empty())
      << (boxes.errors.empty() ? boxes.messages[0] : boxes.errors[0]);

  std::vector<std::string> lines;
  const std::string memo = Text("MemoResult");
  for (std::size_t start = 0; start <= memo.size();) {
    const std::size_t end = memo.find("\r\n", start);
    lines.push_back(memo.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 2;
  }
  // Header, three rows, then per phase an empty line, a title and four
  // lines, then the memo's own empty last line.
  ASSERT_EQ(lines.size(), 1u + 3 + 6 + 6 + 2) << memo;
  EXPECT_EQ(lines[0].rfind("回数\t時間\t書き(Mbps）", 0), 0u);
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 6);
    EXPECT_EQ(lines[i].rfind(std::to_string(i) + "\t", 0), 0u);
  }
  EXPECT_EQ(lines[5], "●書き込み");
  EXPECT_EQ(lines[11], "●読み込み");
  // The choice to delete removed the run's folder.
  EXPECT_TRUE(
      std::filesystem::is_empty(std::filesystem::path(platform::win32::Wide(temp.Path()))) ||
      !std::filesystem::exists(std::filesystem::path(platform::win32::Wide(temp.Path())) /
                               "TRW_TEMP"));
}

TEST_F(WindowTest, TheWholeDriveCheckAsksFirstAndRunsOnlyOnYes) {
  ::SetWindowTextW(Control("EditFolder"), platform::win32::Wide(temp.Path()).c_str());
  Click("MenuFCheck");  // answered No
  ASSERT_EQ(boxes.questions.size(), 1u);
  EXPECT_EQ(boxes.questions[0].rfind("空き容量全体に 3 MB を書き込んで検査します。", 0), 0u);
  EXPECT_EQ(Text("ButtonStart"), "開始");
  boxes.answer = true;
  Click("MenuFCheck");
  EXPECT_EQ(Text("ButtonStart"), "中止");
  ASSERT_TRUE(WaitUntil([&] { return Text("ButtonStart") == "開始"; }));
  EXPECT_NE(Text("LabelProgress").find("実際に使える容量はおよそ 3 MB"), std::string::npos)
      << Text("LabelProgress");
}

TEST_F(WindowTest, TheVerifyItemTurnsItsMarkOverIsSavedAndVerifiesTheNextRun) {
  const UINT verify = MainWindow::MenuCommand("MenuFVerify");
  const auto checked = [&] {
    return (::GetMenuState(::GetMenu(Main()), verify, MF_BYCOMMAND) & MF_CHECKED) != 0;
  };
  EXPECT_FALSE(checked());
  Click("MenuFVerify");
  EXPECT_TRUE(checked());
  ::SendMessageW(Main(), WM_CLOSE, 0, 0);
  EXPECT_NE(Bytes(services->SettingsPath()).find("[Tarnwell]\r\nVerify=1\r\n"), std::string::npos);

  windows.reset();
  Open();
  ASSERT_TRUE(checked());
  ::SetWindowTextW(Control("EditFolder"), platform::win32::Wide(temp.Path()).c_str());
  Click("ButtonStart");
  ASSERT_TRUE(WaitUntil([&] { return Text("ButtonStart") == "開始"; }));
  EXPECT_NE(Text("LabelProgress").find("セクタはすべて正常"), std::string::npos)
      << Text("LabelProgress");
}

TEST_F(WindowTest, ClosingSavesTheSettingsAsCodePage932WithCrLf) {
  ::SetWindowTextW(Control("EditFolder"), L"C:\\\u30c6\u30b9\u30c8");  // テスト
  ::SendMessageW(Main(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(Main()));
  const std::string ini = Bytes(services->SettingsPath());
  EXPECT_NE(ini.find("Folder=C:\\\x83\x65\x83\x58\x83\x67\r\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("\n"), ini.find("\r\n") + 1);
}

TEST_F(WindowTest, AnEndFromOutsideNeverWaitsOnABox) {
  // A settings file that cannot be written: closing says so in a box.
  std::filesystem::create_directory(
      std::filesystem::path(platform::win32::Wide(services->SettingsPath())));
  windows.reset();
  Open();
  // Logout: the box would hold the session's end up.
  ::SendMessageW(Main(), WM_QUERYENDSESSION, 0, 0);
  ::SendMessageW(Main(), WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(boxes.stoppedAfter, 0);
  EXPECT_EQ(boxes.messages, std::vector<std::string>{"INIファイルへの書き込みを中止します"});

  // A close request while a box disables the window comes from outside.
  windows.reset();
  boxes = RecordingBoxes();
  Open();
  ::EnableWindow(Main(), FALSE);
  ::SendMessageW(Main(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(::IsWindow(Main()));
  EXPECT_EQ(boxes.stoppedAfter, 0);
  EXPECT_EQ(boxes.messages.size(), 1u);
}

TEST_F(WindowTest, ClosingDuringARunStopsItCleansUpAndSaves) {
  ::SetWindowTextW(Control("EditFolder"), platform::win32::Wide(temp.Path()).c_str());
  Select("ComboBoxWait", 10);  // a long pause between the phases
  DropDownAndClose("ComboBoxWait");
  Pump();
  Click("ButtonStart");
  // The write half has arrived: the run is in its pause before reading.
  ASSERT_TRUE(WaitUntil([&] { return Text("MemoResult").ends_with("\t\r\n"); }, 60000));
  // A close request from outside, as taskkill sends it, reaches a hidden
  // dialog first: it passes it on to the main window.
  ::PostMessageW(windows->Folder().Handle(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitUntil([&] { return !::IsWindow(Main()); }, 10000));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(platform::win32::Wide(temp.Path())) /
                                       "TRW_TEMP"));
  EXPECT_NE(Bytes(services->SettingsPath()).find("Wait=10\r\n"), std::string::npos);
}

TEST_F(WindowTest, TheChoosersOkFillsTheFolderBox) {
  // The posted OK reaches the chooser inside its modal showing.
  ::PostMessageW(windows->Folder().Handle(), WM_COMMAND, IDOK, 0);
  Click("ButtonFolder");
  EXPECT_EQ(Text("EditFolder"), temp.Path());
  EXPECT_FALSE(::IsWindowVisible(windows->Folder().Handle()));
  EXPECT_TRUE(::IsWindowEnabled(Main()));
  // The chooser saved its bounds on the way out.
  EXPECT_NE(Bytes(services->SettingsPath()).find("[FolderWindow]\r\n"), std::string::npos);
}

// What the chooser's showings saw, recorded from inside their modal loops.
struct ChooserVisit {
  HWND chooser = nullptr;
  std::vector<HWND> focusOnShowing;
  HWND focusAfterBox = nullptr;
};
ChooserVisit* visit = nullptr;

void CALLBACK EndBox(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  ::PostMessageW(::GetActiveWindow(), WM_COMMAND, IDOK, 0);
}

// Runs inside the chooser's modal loop: notes the focus; the first time
// also puts up a box as a refused rename does, notes the focus once it has
// gone and leaves the focus on OK. Then cancels.
void CALLBACK LookAtChooser(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  visit->focusOnShowing.push_back(::GetFocus());
  if (visit->focusOnShowing.size() == 1) {
    ::SetTimer(nullptr, 0, 100, EndBox);
    ::MessageBoxW(visit->chooser, L"x", L"Tarnwell", MB_OK);
    visit->focusAfterBox = ::GetFocus();
    HWND ok = nullptr;
    for (HWND child = ::GetWindow(visit->chooser, GW_CHILD); child != nullptr && ok == nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      ok = ::GetDlgItem(child, IDOK);
    }
    ::SetFocus(ok);
    EXPECT_EQ(::GetFocus(), ok);
  }
  ::PostMessageW(visit->chooser, WM_COMMAND, IDCANCEL, 0);
}

TEST_F(WindowTest, TheChoosersTreeHasTheFocusAndItsButtonGetsItBack) {
  ChooserVisit seen;
  seen.chooser = windows->Folder().Handle();
  visit = &seen;
  HWND tree = ::FindWindowExW(seen.chooser, nullptr, WC_TREEVIEWW, nullptr);
  // The selection shows only while the tree has the focus.
  EXPECT_EQ(::GetWindowLongW(tree, GWL_STYLE) & TVS_SHOWSELALWAYS, 0);
  EXPECT_STREQ(FolderCommandText(FolderCommand::Open), "エクスプローラーで開く(&O)");
  // A mouse click gives the button the focus, then clicks it.
  ::SetFocus(Control("ButtonFolder"));
  ::SetTimer(nullptr, 0, 100, LookAtChooser);
  Click("ButtonFolder");
  EXPECT_EQ(::GetFocus(), Control("ButtonFolder"));
  // Enter, as the program's message loop hands it to the dialog manager,
  // opens the chooser again, and the tree has the focus again.
  ::SetTimer(nullptr, 0, 100, LookAtChooser);
  MSG enter{Control("ButtonFolder"), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
  ::IsDialogMessageW(Main(), &enter);
  visit = nullptr;
  EXPECT_EQ(seen.focusOnShowing, (std::vector<HWND>{tree, tree}));
  EXPECT_EQ(seen.focusAfterBox, tree);
  EXPECT_EQ(::GetFocus(), Control("ButtonFolder"));
}

TEST_F(WindowTest, TheStartMenuDialogsOkWritesALinkToTheProgram) {
  ::PostMessageW(windows->StartMenu().Handle(), WM_COMMAND, IDOK, 0);
  Click("MenuHelpStartMenu");
  EXPECT_TRUE(boxes.errors.empty()) << boxes.errors[0];
  const std::wstring link = platform::win32::Wide(temp.Path() + "\\Tarnwell.lnk");
  IShellLinkW* shellLink = nullptr;
  ASSERT_TRUE(SUCCEEDED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_IShellLinkW, reinterpret_cast<void**>(&shellLink))));
  IPersistFile* file = nullptr;
  shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
  ASSERT_TRUE(SUCCEEDED(file->Load(link.c_str(), STGM_READ)));
  wchar_t target[MAX_PATH] = {};
  shellLink->GetPath(target, MAX_PATH, nullptr, 0);
  EXPECT_EQ(_wcsicmp(target, platform::win32::Wide(platform::ExecutablePath()).c_str()), 0);
  file->Release();
  shellLink->Release();
}

}  // namespace
}  // namespace tarnwell::ui::win32
