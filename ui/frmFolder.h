// The folder chooser window's logic. It lives from start-up to exit, is
// shown modally on request, keeps its bounds in the settings file and holds
// the folder tree, whose expanded branches and selection carry over from
// one showing to the next. A showing answers with the folder "OK" chose;
// the main window puts it in its folder box.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/AppServices.h"
#include "ui/Controls.h"
#include "ui/FolderTree.h"
#include "ui/FormTexts.h"

namespace tarnwell::ui {

// The commands of a folder's context menu.
enum class FolderCommand { Rename, NewFolder, Trash, Open };

// A command's menu text.
const char* FolderCommandText(FolderCommand command);

// The chooser as designed: pixels at 96 dpi with a 12-pixel window font.
struct FormFolderDesign {
  static constexpr int Left = 193;
  static constexpr int Top = 128;
  static constexpr int Width = 456;
  static constexpr int Height = 321;
  static constexpr int PanelHeight = 41;
  static constexpr int ButtonTop = 8;
  static constexpr int ButtonWidth = 93;
  static constexpr int ButtonHeight = 25;
  static constexpr int OkLeft = 111;
  static constexpr int CancelLeft = 7;
  static constexpr int Indent = 19;
};

struct TFormFolderControls {
  Window& Form;
  TreeView& ShellTreeViewMain;
  MessageBoxes& Boxes;
};

class TFormFolder {
public:
  // `roots` says where the tree starts; it is asked once, by FormCreate.
  TFormFolder(const TFormFolderControls& controls, AppServices& services,
              std::function<FolderRoots()> roots = SystemFolderRoots);
  ~TFormFolder();
  TFormFolder(const TFormFolder&) = delete;
  TFormFolder& operator=(const TFormFolder&) = delete;

  // Reads the window's bounds from the settings file, then builds the tree
  // with its root expanded and selected.
  void FormCreate();
  // Saves the bounds. A failed save is reported and never keeps the window
  // from closing: a modal window that cannot close would lock the program.
  void FormClose();
  // Chooses the selected folder's path, then closes.
  void ButtonOKClick();
  // Closes without a choice.
  void ButtonCancelClick();
  // Shows the window modally; the folder "OK" chose, or nothing when the
  // window closed any other way.
  std::optional<std::string> ShowModal();
  // The choice of the showing that ended last (or of this one so far).
  const std::optional<std::string>& Choice() const { return choice_; }

  // The user opens an item: its children are read the first time.
  void ShellTreeViewMainExpanding(TreeItem item);
  // The user confirmed `text` as the item's new label. A refused rename is
  // reported and the label keeps the old name.
  void ShellTreeViewMainEdited(TreeItem item, const std::string& text);
  // The commands the item's context menu offers, in menu order.
  std::vector<FolderCommand> ShellTreeViewMainCommands(TreeItem item) const;
  // Carries out a context-menu command; a failed one changes nothing.
  void ShellTreeViewMainCommand(TreeItem item, FolderCommand command);

  // What "OK" would choose now.
  std::string SelectedPath() const;
  // The tree; nullptr before FormCreate.
  FolderTree* Tree() { return tree_.get(); }

private:
  FolderNode* Node(TreeItem item) const;
  void Show(const FolderNode& node);
  void LoadChildren(FolderNode& node);

  TFormFolderControls c_;
  AppServices& services_;
  std::function<FolderRoots()> roots_;
  std::unique_ptr<FolderTree> tree_;
  std::optional<std::string> choice_;
};

}  // namespace tarnwell::ui
