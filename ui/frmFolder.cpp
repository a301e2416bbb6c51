// The folder chooser window's logic.
#include "ui/frmFolder.h"

#include <exception>
#include <utility>

#include "engine/run/BenchmarkRun.h"
#include "platform/FileSystem.h"
#include "platform/IniFile.h"
#include "platform/Shell.h"
#include "ui/WindowBounds.h"

namespace tarnwell::ui {
namespace {

constexpr const char* Section = "FolderWindow";
constexpr Bounds DefaultBounds{.Left = 200, .Top = 200, .Width = 400, .Height = 300};

TreeIcon IconOf(FolderKind kind) {
  switch (kind) {
    case FolderKind::Desktop:
      return TreeIcon::Desktop;
    case FolderKind::Home:
      return TreeIcon::Home;
    case FolderKind::Computer:
      return TreeIcon::Computer;
    case FolderKind::Volume:
      return TreeIcon::Drive;
    case FolderKind::Folder:
      return TreeIcon::Folder;
  }
  return TreeIcon::Folder;
}

std::string RenameFailedText(const std::string& name) {
  std::string text = FormFolderTexts::RenameFailed;
  return text.replace(text.find("%s"), 2, name);
}

// The hourglass for as long as it lives, whatever ends the reading.
class BusyPointer {
public:
  explicit BusyPointer(TreeView& tree) : tree_(tree) { tree_.SetBusy(true); }
  ~BusyPointer() { tree_.SetBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

private:
  TreeView& tree_;
};

}  // namespace

const char* FolderCommandText(FolderCommand command) {
  switch (command) {
    case FolderCommand::Rename:
      return FormFolderTexts::Rename;
    case FolderCommand::NewFolder:
      return FormFolderTexts::NewFolder;
    case FolderCommand::Trash:
      return FormFolderTexts::Trash;
    case FolderCommand::Open:
      return platform::OpenFolderCommandText();
  }
  return "";
}

TFormFolder::TFormFolder(const TFormFolderControls& controls, AppServices& services,
                         std::function<FolderRoots()> roots)
    : c_(controls), services_(services), roots_(std::move(roots)) {}

TFormFolder::~TFormFolder() = default;

void TFormFolder::FormCreate() {
  LoadWindowBounds(platform::IniFile(services_.SettingsPath()), Section, DefaultBounds, c_.Form);
  {
    BusyPointer busy(c_.ShellTreeViewMain);
    tree_ = std::make_unique<FolderTree>(roots_());
  }
  FolderNode& root = tree_->Root();
  Show(root);
  c_.ShellTreeViewMain.Expand(root.Id);
  c_.ShellTreeViewMain.Select(root.Id);
}

void TFormFolder::FormClose() {
  bool saved = false;
  std::string reason;
  try {
    platform::IniFile ini(services_.SettingsPath());
    SaveWindowBounds(ini, Section, c_.Form);
    const platform::Status updated = ini.UpdateFile();
    saved = updated.Ok();
    reason = updated.Text();
  } catch (const std::exception&) {
    saved = false;
  }
  if (!saved) c_.Boxes.ShowMessage(RunMessages::WithReason(SettingsTexts::SaveFailed, reason));
}

void TFormFolder::ButtonOKClick() {
  choice_ = SelectedPath();
  c_.Form.Close();
}

void TFormFolder::ButtonCancelClick() {
  choice_.reset();
  c_.Form.Close();
}

std::optional<std::string> TFormFolder::ShowModal() {
  choice_.reset();
  c_.Form.ShowModal();
  return choice_;
}

std::string TFormFolder::SelectedPath() const {
  return FolderTree::PathOf(Node(c_.ShellTreeViewMain.Selected()));
}

FolderNode* TFormFolder::Node(TreeItem item) const {
  return tree_ && item != NoTreeItem ? tree_->Find(item) : nullptr;
}

// Inserts the node's item with the items of the children it has read.
void TFormFolder::Show(const FolderNode& node) {
  const TreeItem parent = node.Parent != nullptr ? node.Parent->Id : NoTreeItem;
  c_.ShellTreeViewMain.InsertItem(parent, FolderTree::IndexOf(node), node.Id,
                                  TreeItemData{.Label = node.Name,
                                               .Icon = IconOf(node.Kind),
                                               .Expandable = node.Expandable,
                                               .Editable = FolderTree::CanRenameOrTrash(node)});
  for (const auto& child : node.Children) Show(*child);
}

void TFormFolder::LoadChildren(FolderNode& node) {
  {
    BusyPointer busy(c_.ShellTreeViewMain);
    if (!tree_->Load(node)) return;
  }
  for (const auto& child : node.Children) Show(*child);
  // The button stays only where there really is something inside.
  if (!node.Expandable) c_.ShellTreeViewMain.SetExpandable(node.Id, false);
}

void TFormFolder::ShellTreeViewMainExpanding(TreeItem item) {
  if (FolderNode* node = Node(item)) LoadChildren(*node);
}

void TFormFolder::ShellTreeViewMainEdited(TreeItem item, const std::string& text) {
  FolderNode* node = Node(item);
  // An emptied label takes the edit back, as leaving it unchanged does.
  if (node == nullptr || text.empty() || text == node->Name) return;
  if (!tree_->Rename(*node, text)) {
    c_.Boxes.ShowError(RenameFailedText(text));
    return;
  }
  c_.ShellTreeViewMain.SetLabel(item, node->Name);
  c_.ShellTreeViewMain.MoveItem(item, FolderTree::IndexOf(*node));
}

std::vector<FolderCommand> TFormFolder::ShellTreeViewMainCommands(TreeItem item) const {
  const FolderNode* node = Node(item);
  if (node == nullptr) return {};
  std::vector<FolderCommand> commands;
  if (FolderTree::CanRenameOrTrash(*node)) commands.push_back(FolderCommand::Rename);
  if (FolderTree::CanHoldNewFolder(*node)) commands.push_back(FolderCommand::NewFolder);
  if (FolderTree::CanRenameOrTrash(*node)) commands.push_back(FolderCommand::Trash);
  if (!node->Path.empty()) commands.push_back(FolderCommand::Open);
  return commands;
}

void TFormFolder::ShellTreeViewMainCommand(TreeItem item, FolderCommand command) {
  FolderNode* node = Node(item);
  if (node == nullptr) return;
  TreeView& tree = c_.ShellTreeViewMain;
  switch (command) {
    case FolderCommand::Rename:
      if (FolderTree::CanRenameOrTrash(*node)) tree.EditLabel(item);
      break;
    case FolderCommand::NewFolder: {
      if (!FolderTree::CanHoldNewFolder(*node)) break;
      LoadChildren(*node);
      FolderNode* made = tree_->NewFolder(*node, FormFolderTexts::NewFolderName);
      if (made == nullptr) break;
      Show(*made);
      tree.SetExpandable(item, true);
      tree.Expand(item);
      tree.Select(made->Id);
      tree.EditLabel(made->Id);
      break;
    }
    case FolderCommand::Trash: {
      FolderNode* parent = node->Parent;
      if (!tree_->Trash(*node)) break;  // `node` is gone from here on
      tree.RemoveItem(item);
      if (!parent->Expandable) tree.SetExpandable(parent->Id, false);
      tree.Select(parent->Id);
      break;
    }
    case FolderCommand::Open:
      services_.OpenWithDesktop(node->Path);
      break;
  }
}

}  // namespace tarnwell::ui
