// The folder chooser's tree without any toolkit: a root for the desktop,
// the home folder, a "computer" node holding the mounted file systems, and
// folders below them whose children are read the first time they are asked
// for and never again, so the tree shows the file system as it was then.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "ui/NaturalOrder.h"

namespace tarnwell::ui {

// The display name of the node that holds the mounted file systems, unless
// the system has its own.
inline constexpr const char* ComputerName = "コンピュータ";
// The root's name when the user has no desktop folder of its own and the
// system no name for it.
inline constexpr const char* DesktopName = "デスクトップ";

// Where the tree starts.
struct FolderRoots {
  std::string DesktopPath;  // an existing folder: the desktop, or home
  std::string DesktopLabel;
  std::string HomePath;
  // The system's names for home and the computer; empty (the default) for
  // the home folder's own name and ComputerName.
  std::string HomeLabel = {};
  std::string ComputerLabel = {};
  std::vector<std::string> MountPoints;  // "/" first; on Windows "C:\" and so on
};

// The roots of the user's own system.
FolderRoots SystemFolderRoots();

enum class FolderKind {
  Desktop,   // the root
  Home,      // the home folder, a child of the root
  Computer,  // virtual: no path
  Volume,    // a mount point, a child of Computer
  Folder,    // a folder listed inside its parent folder
};

struct FolderNode {
  std::uint64_t Id = 0;  // never 0, never reused
  FolderKind Kind = FolderKind::Folder;
  std::string Name;  // as shown
  std::string Path;  // empty for a virtual node
  FolderNode* Parent = nullptr;
  std::vector<std::unique_ptr<FolderNode>> Children;
  bool Loaded = false;      // the children have been read
  bool Expandable = false;  // worth an expand button
};

class FolderTree {
public:
  // Builds the root and reads its children at once.
  explicit FolderTree(FolderRoots roots);
  FolderTree(const FolderTree&) = delete;
  FolderTree& operator=(const FolderTree&) = delete;

  FolderNode& Root() { return *root_; }
  // The node with `id`; nullptr when there is none (any more).
  FolderNode* Find(std::uint64_t id) const;

  // Reads the children the first time; afterwards does nothing. False when
  // they had been read before. A folder that cannot be read has none.
  bool Load(FolderNode& node);

  // The text the chooser hands on: a folder's path without a closing
  // separator, a root with it ("/", and on Windows a drive's "C:\"), a
  // virtual node's name, empty for no node.
  static std::string PathOf(const FolderNode* node);

  // Only folders listed inside a parent folder may be renamed or trashed;
  // the desktop, home, the computer and the mount points stay.
  static bool CanRenameOrTrash(const FolderNode& node);
  static bool CanHoldNewFolder(const FolderNode& node) { return !node.Path.empty(); }

  // Renames the folder and moves its node to its new place among its
  // siblings; the paths below follow. False, with nothing changed, when the
  // name is not a valid folder name or the system refuses.
  bool Rename(FolderNode& node, const std::string& newName);
  // Makes a new folder inside `parent` (reading its children first) and
  // adds its node. nullptr when none could be made.
  FolderNode* NewFolder(FolderNode& parent, const std::string& baseName);
  // Moves the folder to the trash and removes its node. False, with nothing
  // changed, when the system refuses.
  bool Trash(FolderNode& node);

  // The position of `node` among its parent's children.
  static int IndexOf(const FolderNode& node);

private:
  FolderNode& Add(FolderNode& parent, FolderKind kind, std::string name, std::string path,
                  bool expandable);
  void AddFolders(FolderNode& parent, const std::string& path);
  void Sort(FolderNode& parent);
  void Forget(FolderNode& node);

  FolderRoots roots_;
  NaturalOrder order_;
  std::uint64_t nextId_ = 1;
  std::unordered_map<std::uint64_t, FolderNode*> nodes_;
  std::unique_ptr<FolderNode> root_;
};

}  // namespace tarnwell::ui
