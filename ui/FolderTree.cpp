// The folder chooser's tree.
#include "ui/FolderTree.h"

#include <algorithm>
#include <utility>

#include "platform/Folders.h"
#include "platform/PathNames.h"
#include "platform/Paths.h"

namespace tarnwell::ui {
namespace {

using platform::JoinPath;
using platform::ParentPath;

// The paths below a renamed folder start with its new path.
void Repath(FolderNode& node, const std::string& path) {
  node.Path = path;
  for (auto& child : node.Children) Repath(*child, JoinPath(path, child->Name));
}

}  // namespace

FolderRoots SystemFolderRoots() {
  FolderRoots roots;
  roots.HomePath = platform::HomeDirectory();
  roots.DesktopPath = platform::DesktopDirectory();
  roots.MountPoints = platform::MountPoints();
  if (roots.DesktopPath.empty() || roots.DesktopPath == roots.HomePath) {
    // No desktop folder of its own: the desktop shows what home holds, or
    // without a home the first file system ("/", the system's drive).
    roots.DesktopPath = !roots.HomePath.empty()      ? roots.HomePath
                        : !roots.MountPoints.empty() ? roots.MountPoints.front()
                                                     : std::string(1, platform::PathSeparator);
    roots.DesktopLabel = DesktopName;
  } else {
    roots.DesktopLabel = platform::FileNameOf(roots.DesktopPath);
  }
  // The system's own names where it has them: Windows names the desktop
  // "デスクトップ" in Japanese whatever its folder is called.
  const platform::PlaceNames names = platform::ShellPlaceNames();
  if (!names.Desktop.empty()) roots.DesktopLabel = names.Desktop;
  roots.HomeLabel = names.Home;
  roots.ComputerLabel = names.Computer;
  return roots;
}

FolderTree::FolderTree(FolderRoots roots) : roots_(std::move(roots)) {
  root_ = std::make_unique<FolderNode>();
  root_->Id = nextId_++;
  root_->Kind = FolderKind::Desktop;
  root_->Name = roots_.DesktopLabel;
  root_->Path = roots_.DesktopPath;
  root_->Expandable = true;
  nodes_[root_->Id] = root_.get();
  Load(*root_);
}

FolderNode* FolderTree::Find(std::uint64_t id) const {
  const auto found = nodes_.find(id);
  return found == nodes_.end() ? nullptr : found->second;
}

FolderNode& FolderTree::Add(FolderNode& parent, FolderKind kind, std::string name, std::string path,
                            bool expandable) {
  auto node = std::make_unique<FolderNode>();
  node->Id = nextId_++;
  node->Kind = kind;
  node->Name = std::move(name);
  node->Path = std::move(path);
  node->Parent = &parent;
  node->Expandable = expandable;
  nodes_[node->Id] = node.get();
  parent.Children.push_back(std::move(node));
  return *parent.Children.back();
}

void FolderTree::AddFolders(FolderNode& parent, const std::string& path) {
  const auto names = platform::ListSubFolders(path);
  if (!names) return;  // unreadable: no children
  for (const std::string& name : *names) {
    std::string childPath = JoinPath(path, name);
    const bool expandable = platform::HasSubFolders(childPath);
    Add(parent, FolderKind::Folder, name, std::move(childPath), expandable);
  }
  Sort(parent);
}

// The listed folders follow the fixed entries (home, the computer) and are
// the only ones sorted.
void FolderTree::Sort(FolderNode& parent) {
  auto first = std::find_if(parent.Children.begin(), parent.Children.end(),
                            [](const auto& child) { return child->Kind == FolderKind::Folder; });
  std::sort(first, parent.Children.end(),
            [this](const auto& a, const auto& b) { return order_(a->Name, b->Name); });
}

bool FolderTree::Load(FolderNode& node) {
  if (node.Loaded) return false;
  node.Loaded = true;
  switch (node.Kind) {
    case FolderKind::Desktop:
      if (!roots_.HomePath.empty()) {
        Add(node, FolderKind::Home,
            roots_.HomeLabel.empty() ? platform::FileNameOf(roots_.HomePath) : roots_.HomeLabel,
            roots_.HomePath, platform::HasSubFolders(roots_.HomePath));
      }
      // Probing a mount point could wait on a network share; whether there
      // is anything inside shows when it is opened.
      Add(node, FolderKind::Computer,
          roots_.ComputerLabel.empty() ? ComputerName : roots_.ComputerLabel, {}, true);
      AddFolders(node, node.Path);
      break;
    case FolderKind::Computer:
      for (const std::string& point : roots_.MountPoints) {
        Add(node, FolderKind::Volume, point, point, true);
      }
      break;
    case FolderKind::Home:
    case FolderKind::Volume:
    case FolderKind::Folder:
      AddFolders(node, node.Path);
      break;
  }
  node.Expandable = !node.Children.empty();
  return true;
}

std::string FolderTree::PathOf(const FolderNode* node) {
  if (node == nullptr) return {};
  if (node->Path.empty()) return node->Name;
  return platform::WithoutClosingSeparators(node->Path);
}

bool FolderTree::CanRenameOrTrash(const FolderNode& node) {
  return node.Kind == FolderKind::Folder && node.Parent != nullptr;
}

bool FolderTree::Rename(FolderNode& node, const std::string& newName) {
  if (!CanRenameOrTrash(node) || !platform::IsValidFolderName(newName)) return false;
  if (newName == node.Name) return true;
  const std::string newPath = JoinPath(ParentPath(node.Path), newName);
  if (!platform::RenameFolder(node.Path, newPath).Ok()) return false;
  node.Name = newName;
  Repath(node, newPath);
  Sort(*node.Parent);
  return true;
}

FolderNode* FolderTree::NewFolder(FolderNode& parent, const std::string& baseName) {
  if (!CanHoldNewFolder(parent)) return nullptr;
  Load(parent);
  const platform::Result<std::string> made = platform::MakeUniqueFolder(parent.Path, baseName);
  if (!made.Ok()) return nullptr;
  const std::string& name = *made;
  FolderNode& node = Add(parent, FolderKind::Folder, name, JoinPath(parent.Path, name), false);
  node.Loaded = true;  // new and empty
  parent.Expandable = true;
  Sort(parent);
  return &node;
}

bool FolderTree::Trash(FolderNode& node) {
  if (!CanRenameOrTrash(node) || !platform::MoveToTrash(node.Path).Ok()) return false;
  FolderNode& parent = *node.Parent;
  Forget(node);
  parent.Children.erase(parent.Children.begin() + IndexOf(node));
  parent.Expandable = !parent.Children.empty();
  return true;
}

void FolderTree::Forget(FolderNode& node) {
  for (auto& child : node.Children) Forget(*child);
  nodes_.erase(node.Id);
}

int FolderTree::IndexOf(const FolderNode& node) {
  if (node.Parent == nullptr) return 0;
  const auto& siblings = node.Parent->Children;
  for (std::size_t i = 0; i < siblings.size(); ++i) {
    if (siblings[i].get() == &node) return static_cast<int>(i);
  }
  return -1;
}

}  // namespace tarnwell::ui
