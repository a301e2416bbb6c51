// In-memory controls and the application assembled from them.
#include "MemoryControls.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sysinfo/kvUnit01.h"
#include "ui/HandlerGuard.h"

namespace tarnwell::ui::test {

void MemoryDropDownList::SetItemIndex(int index) {
  // A binding is never asked for anything else; catch a form that does.
  EXPECT_TRUE(index >= -1 && index < Count()) << "index " << index;
  index_ = index;
}

void MemoryGuiThread::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  posted_.notify_all();
}

void MemoryGuiThread::StartTicker(int /*milliseconds*/, std::function<void()> tick) {
  ticker_ = std::move(tick);
}

bool MemoryGuiThread::PumpUntil(const std::function<bool()>& done,
                                std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      if (!posted_.wait_until(lock, deadline, [&] { return !tasks_.empty(); })) return done();
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
  return true;
}

bool TestServices::SetPriority(platform::PriorityClass priority) {
  std::lock_guard lock(priorityMutex);
  priorityCalls.emplace_back(priority, std::this_thread::get_id() == guiThread);
  return !refusePriority.load();
}

TkvWindowsVersion TestServices::WindowsVersion() {
  if (versionFails) throw EkvWindowsVersion("Failed to call GetVersionEx");
  return TkvWindowsVersion(version);
}

std::string TestServices::LoginUserName() {
  if (userName.empty()) throw EkvGetUserName("Failed to call GetUserName");
  return userName;
}

void TestServices::CreateShortcut(const std::string& linkPath, const std::string& targetPath,
                                  const std::string& description) {
  if (shortcutFails) throw EkvGetUserName("Failed to call IPersistFile.Save");
  shortcuts.push_back({linkPath, targetPath, description});
}

void MemoryTreeView::InsertItem(TreeItem parent, int index, TreeItem item,
                                const TreeItemData& data) {
  items[item] = Item{.parent = parent, .data = data, .children = {}, .expanded = false};
  std::vector<TreeItem>& siblings = parent == NoTreeItem ? top : items.at(parent).children;
  siblings.insert(siblings.begin() + std::min<std::ptrdiff_t>(index, std::ssize(siblings)), item);
}

std::vector<TreeItem>& MemoryTreeView::Siblings(TreeItem item) {
  const TreeItem parent = items.at(item).parent;
  return parent == NoTreeItem ? top : items.at(parent).children;
}

void MemoryTreeView::RemoveItem(TreeItem item) {
  for (const TreeItem child : std::vector<TreeItem>(items.at(item).children)) RemoveItem(child);
  std::erase(Siblings(item), item);
  items.erase(item);
  if (selected == item) selected = NoTreeItem;
}

void MemoryTreeView::MoveItem(TreeItem item, int index) {
  std::vector<TreeItem>& siblings = Siblings(item);
  std::erase(siblings, item);
  siblings.insert(siblings.begin() + std::min<std::ptrdiff_t>(index, std::ssize(siblings)), item);
}

void MemoryTreeView::SetLabel(TreeItem item, const std::string& label) {
  items.at(item).data.Label = label;
}

void MemoryTreeView::SetExpandable(TreeItem item, bool expandable) {
  items.at(item).data.Expandable = expandable;
}

void MemoryTreeView::Expand(TreeItem item) { items.at(item).expanded = true; }

void MemoryTreeView::SetBusy(bool busy) {
  busyDepth += busy ? 1 : -1;
  if (busy) ++busyTimes;
}

std::vector<std::string> MemoryTreeView::Labels(TreeItem parent) const {
  std::vector<std::string> labels;
  for (const TreeItem child : parent == NoTreeItem ? top : items.at(parent).children) {
    labels.push_back(items.at(child).data.Label);
  }
  return labels;
}

TreeItem MemoryTreeView::Child(TreeItem parent, const std::string& label) const {
  for (const TreeItem child : parent == NoTreeItem ? top : items.at(parent).children) {
    if (items.at(child).data.Label == label) return child;
  }
  return NoTreeItem;
}

MemoryApplication::MemoryApplication(const std::string& settingsPath)
    : services(settingsPath),
      folderRoots{.DesktopPath = std::filesystem::path(settingsPath).parent_path().string(),
                  .DesktopLabel = DesktopName,
                  .HomePath = std::filesystem::path(settingsPath).parent_path().string(),
                  .MountPoints = {"/"}} {
  formMain = std::make_unique<TFormMain>(FormMainControlsOf(*this, boxes), services);
  formStartMenu =
      std::make_unique<TFormStartMenu>(TFormStartMenuControls{.Form = startMenuWindow,
                                                              .RadioGroupMain = radioGroupMain,
                                                              .ButtonOK = buttonOK,
                                                              .ButtonCancel = buttonCancel,
                                                              .Boxes = boxes},
                                       services);
  startMenuWindow.onClose = [this] { formStartMenu->FormClose(); };
  formFolder = std::make_unique<TFormFolder>(
      TFormFolderControls{
          .Form = folderWindow, .ShellTreeViewMain = shellTreeViewMain, .Boxes = boxes},
      services, [this] { return folderRoots; });
  formMain->AttachForms(*formFolder, *formStartMenu);
}

MemoryApplication::~MemoryApplication() {
  // The form stops its run before the queue its tasks went to is gone.
  formMain.reset();
}

void MemoryApplication::Start() {
  formMain->Handle(&TFormMain::FormCreate);
  RunHandler(boxes, [&] { formStartMenu->FormCreate(); });
  RunHandler(boxes, [&] { formFolder->FormCreate(); });
}

}  // namespace tarnwell::ui::test
