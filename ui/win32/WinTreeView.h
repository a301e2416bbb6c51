// The tree interface on the common tree-view control: items known by the
// form's numbers, icons from the shell's system image list, label editing
// and expansion reported back through callbacks.
#pragma once

// clang-format off: windows.h comes before the headers that build on it.
#include <windows.h>
// clang-format on
#include <commctrl.h>

#include <functional>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "ui/Controls.h"

namespace tarnwell::ui::win32 {

class WinTreeView : public TreeView {
public:
  WinTreeView() = default;
  void Attach(HWND tree);

  void InsertItem(TreeItem parent, int index, TreeItem item, const TreeItemData& data) override;
  void RemoveItem(TreeItem item) override;
  void MoveItem(TreeItem item, int index) override;
  void SetLabel(TreeItem item, const std::string& label) override;
  void SetExpandable(TreeItem item, bool expandable) override;
  void Expand(TreeItem item) override;
  TreeItem Selected() const override;
  void Select(TreeItem item) override;
  void EditLabel(TreeItem item) override;
  void SetBusy(bool busy) override;

  // The window's handling of the control's notifications. Returns the
  // notification's result.
  LRESULT Notify(const NMHDR& header);
  // The item under a screen point; NoTreeItem for none.
  TreeItem ItemAt(POINT screen) const;

  std::function<void(TreeItem)> onExpanding;
  std::function<void(TreeItem, const std::string&)> onEdited;
  HWND Handle() const { return tree_; }

private:
  struct Saved;
  HTREEITEM ItemHandle(TreeItem item) const;
  HTREEITEM ChildAt(HTREEITEM parent, int index) const;
  void Forget(HTREEITEM handle);
  Saved Save(HTREEITEM handle) const;
  void Restore(HTREEITEM parent, HTREEITEM after, const Saved& saved);
  int IconIndex(TreeIcon icon, bool open) const;

  HWND tree_ = nullptr;
  std::unordered_map<TreeItem, HTREEITEM> items_;
  std::unordered_set<TreeItem> editable_;
  int icons_[5][2] = {};
};

}  // namespace tarnwell::ui::win32
