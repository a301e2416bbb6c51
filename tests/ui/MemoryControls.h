// In-memory controls, services and GUI queue that drive the forms' logic in
// tests exactly as a toolkit binding would, plus the three windows assembled
// from them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "tests/TempFolder.h"
#include "ui/AppServices.h"
#include "ui/Controls.h"
#include "ui/FormMainLayout.h"
#include "ui/frmFolder.h"
#include "ui/frmMain.h"
#include "ui/frmSMenu.h"

namespace tarnwell::ui::test {

using tarnwell::testing::Contents;
using tarnwell::testing::Put;
using tarnwell::testing::TempFolder;

// Adds the enabled state to a control interface.
template <class Interface>
class MemoryControl : public Interface {
public:
  bool Enabled() const override { return enabled_; }
  void SetEnabled(bool enabled) override { enabled_ = enabled; }

private:
  bool enabled_ = true;
};

class MemoryDropDownList : public MemoryControl<DropDownList> {
public:
  explicit MemoryDropDownList(const ControlLayout& layout) : index_(layout.ItemIndex) {
    for (std::string_view item : layout.Items) items_.emplace_back(item);
  }
  int ItemIndex() const override { return index_; }
  void SetItemIndex(int index) override;
  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Item(int index) const override { return items_.at(static_cast<std::size_t>(index)); }

private:
  std::vector<std::string> items_;
  int index_;
};

class MemoryCheckBox : public MemoryControl<CheckBox> {
public:
  bool Checked() const override { return checked_; }
  void SetChecked(bool checked) override { checked_ = checked; }

private:
  bool checked_ = false;
};

class MemoryEdit : public MemoryControl<Edit> {
public:
  explicit MemoryEdit(std::string text) : text_(std::move(text)) {}
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override { text_ = text; }

private:
  std::string text_;
};

class MemoryLabel : public Label {
public:
  explicit MemoryLabel(std::string caption = {}) : caption_(std::move(caption)) {}
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }

private:
  std::string caption_;
};

class MemoryMemo : public Memo {
public:
  std::string Text() const override { return text_; }
  void SetText(const std::string& text) override {
    text_ = text;
    history.push_back(text);
  }
  std::vector<std::string> history;  // every text it was given, in order

private:
  std::string text_;
};

class MemoryButton : public MemoryControl<Button> {
public:
  explicit MemoryButton(std::string caption) : caption_(std::move(caption)) {}
  std::string Caption() const override { return caption_; }
  void SetCaption(const std::string& caption) override { caption_ = caption; }

private:
  std::string caption_;
};

class MemoryMenuItem : public MemoryControl<MenuItem> {};

class MemoryCheckMenuItem : public MemoryControl<CheckMenuItem> {
public:
  bool Checked() const override { return checked; }
  void SetChecked(bool checked) override { this->checked = checked; }
  bool checked = false;
};

class MemoryRadioGroup : public MemoryControl<RadioGroup> {
public:
  void SetCaption(const std::string& caption) override { this->caption = caption; }
  void SetItems(const std::vector<std::string>& items) override {
    this->items = items;
    index = -1;
  }
  int ItemIndex() const override { return index; }
  void SetItemIndex(int index) override { this->index = index; }

  std::string caption;
  std::vector<std::string> items;
  int index = -1;
};

class MemoryWindow : public Window {
public:
  void SetCaption(const std::string& caption) override { this->caption = caption; }
  Bounds GetBounds() const override { return bounds; }
  void SetLeft(int left) override { bounds.Left = left; }
  void SetTop(int top) override { bounds.Top = top; }
  void SetWidth(int width) override { bounds.Width = width; }
  void SetHeight(int height) override { bounds.Height = height; }
  // As a toolkit does: a close request reaches the form's close handler.
  void Close() override {
    ++closeRequests;
    if (onClose) onClose();
  }
  // The user's part while the window is shown, if any.
  void ShowModal() override {
    ++modalShows;
    if (whileShown) whileShown();
  }

  std::string caption;
  Bounds bounds;
  int closeRequests = 0;
  int modalShows = 0;
  std::function<void()> onClose;
  std::function<void()> whileShown;
};

// A tree kept as a map from item to its data, parent and ordered children.
class MemoryTreeView : public TreeView {
public:
  struct Item {
    TreeItem parent = NoTreeItem;
    TreeItemData data;
    std::vector<TreeItem> children;
    bool expanded = false;
  };

  void InsertItem(TreeItem parent, int index, TreeItem item, const TreeItemData& data) override;
  void RemoveItem(TreeItem item) override;
  void MoveItem(TreeItem item, int index) override;
  void SetLabel(TreeItem item, const std::string& label) override;
  void SetExpandable(TreeItem item, bool expandable) override;
  void Expand(TreeItem item) override;
  TreeItem Selected() const override { return selected; }
  void Select(TreeItem item) override { selected = item; }
  void EditLabel(TreeItem item) override { editing = item; }
  void SetBusy(bool busy) override;

  // The labels of the item's children (NoTreeItem: the top level), in order.
  std::vector<std::string> Labels(TreeItem parent) const;
  // The child of `parent` labelled `label`; NoTreeItem when there is none.
  TreeItem Child(TreeItem parent, const std::string& label) const;

  std::map<TreeItem, Item> items;
  std::vector<TreeItem> top;
  TreeItem selected = NoTreeItem;
  TreeItem editing = NoTreeItem;
  int busyDepth = 0;
  int busyTimes = 0;  // how often the hourglass appeared

private:
  std::vector<TreeItem>& Siblings(TreeItem item);
};

class MemorySaveDialog : public SaveDialog {
public:
  std::string AskSavePath(const std::string&, const std::string& suggestedName,
                          const std::string&) override {
    suggested.push_back(suggestedName);
    return answer;
  }
  std::string answer;  // empty: the user cancels
  std::vector<std::string> suggested;
};

class MemoryBoxes : public MessageBoxes {
public:
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  void ShowError(const std::string& text) override { errors.push_back(text); }
  bool AskYesNo(const std::string& text) override {
    questions.push_back(text);
    return answer;
  }
  std::vector<std::string> messages;
  std::vector<std::string> questions;
  bool answer = false;  // what the user answers a question
  std::vector<std::string> errors;
};

// Tasks posted from any thread run when the test pumps the queue.
class MemoryGuiThread : public GuiThread {
public:
  void Post(std::function<void()> task) override;
  void StartTicker(int milliseconds, std::function<void()> tick) override;
  void StopTicker() override { ticker_ = nullptr; }

  // Runs queued tasks until `done` holds; false on timeout.
  bool PumpUntil(const std::function<bool()>& done,
                 std::chrono::milliseconds timeout = std::chrono::seconds(60));
  void Tick() {
    if (ticker_) ticker_();
  }
  bool Ticking() const { return ticker_ != nullptr; }

private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> tasks_;
  std::function<void()> ticker_;
};

class TestEnvironment : public RunEnvironment {
public:
  std::string RandomListPath() override {
    return randomListPath.empty() ? RunEnvironment::RandomListPath() : randomListPath;
  }
  platform::DeviceIdentity Identify(const std::string& folder) override {
    platform::DeviceIdentity device = RunEnvironment::Identify(folder);
    if (freeBytes) device.FreeBytes = *freeBytes;
    return device;
  }
  std::string randomListPath;
  std::optional<std::int64_t> freeBytes;  // the free space a run is told of
};

class TestServices : public AppServices {
public:
  explicit TestServices(std::string settingsPath) : settingsPath(std::move(settingsPath)) {}
  std::string SettingsPath() override { return settingsPath; }
  std::string DefaultFolder() override { return "/home/someone"; }
  bool SetPriority(platform::PriorityClass priority) override;
  RunEnvironment& Environment() override { return environment; }
  char DecimalSeparator() override { return decimalSeparator; }
  TkvWindowsVersion WindowsVersion() override;
  std::string LoginUserName() override;
  std::string MachineName() override { return machineName; }
  std::string ProgramsFolder(bool allUsers) override {
    return allUsers ? allUsersFolder : currentUserFolder;
  }
  void CreateShortcut(const std::string& linkPath, const std::string& targetPath,
                      const std::string& description) override;
  std::string ExecutablePath() override { return "/opt/tarnwell/bin/tarnwell"; }
  std::string ReadmePath() override { return "/opt/tarnwell/bin/README.TXT"; }
  std::string WebAddress() override { return "file:///opt/tarnwell/manual.html"; }
  bool OpenWithDesktop(const std::string& target) override {
    opened.push_back(target);
    return openSucceeds;
  }
  std::string HistoryPath() override { return historyPath; }
  std::string historyPath;  // none unless a test names one

  std::string settingsPath;
  TestEnvironment environment;
  char decimalSeparator = '.';
  // The system's identity; an empty user name makes its query fail.
  platform::VersionRecord version{.MajorVersion = 6,
                                  .MinorVersion = 1,
                                  .BuildNumber = 2,
                                  .PlatformId = platform::PlatformLinux,
                                  .CSDVersion = "Debian GNU/Linux 12 (bookworm)"};
  bool versionFails = false;
  std::string userName = "someone";
  std::string machineName = "bench-host";
  std::string currentUserFolder = "/home/someone/.local/share/applications";
  std::string allUsersFolder = "/usr/local/share/applications";
  bool shortcutFails = false;
  // Every entry written: link path, target, description.
  std::vector<std::vector<std::string>> shortcuts;
  bool openSucceeds = true;
  std::vector<std::string> opened;
  std::atomic<bool> refusePriority{false};
  // Every class asked for, with whether the asking thread was the test's.
  std::mutex priorityMutex;
  std::vector<std::pair<platform::PriorityClass, bool>> priorityCalls;
  std::thread::id guiThread = std::this_thread::get_id();
};

// A control of the main window as the layout table builds it: a list with
// its items and selection, a caption, a text; the rest start empty.
template <class Control>
Control MemoryControlOf(std::string_view name) {
  const ControlLayout* layout = FindControlLayout(name);
  if constexpr (std::is_constructible_v<Control, const ControlLayout&>) {
    return Control(*layout);
  } else if constexpr (std::is_constructible_v<Control, std::string>) {
    return Control(layout != nullptr ? std::string(layout->Text) : std::string());
  } else {
    return Control();
  }
}

// The three windows made from in-memory controls, in start-up order.
class MemoryApplication {
public:
  explicit MemoryApplication(const std::string& settingsPath);
  ~MemoryApplication();
  // FormCreate of each window, as the entry point runs them.
  void Start();

  TestServices services;
  MemoryBoxes boxes;
  MemoryWindow folderWindow, startMenuWindow;
  MemoryRadioGroup radioGroupMain;
  MemoryButton buttonOK{"Button1"}, buttonCancel{"Button2"};
  MemoryTreeView shellTreeViewMain;
  // Where the folder tree starts: by default the settings file's folder,
  // standing in for both the desktop and home.
  FolderRoots folderRoots;
  // The main window's controls, under the list's member names.
#define TARNWELL_MEMORY_CONTROL(Interface, Name, member) \
  Memory##Interface member = MemoryControlOf<Memory##Interface>(#Name);
  TARNWELL_FORM_MAIN_CONTROLS(TARNWELL_MEMORY_CONTROL)
#undef TARNWELL_MEMORY_CONTROL
  std::unique_ptr<TFormMain> formMain;
  std::unique_ptr<TFormStartMenu> formStartMenu;
  std::unique_ptr<TFormFolder> formFolder;
};

}  // namespace tarnwell::ui::test
