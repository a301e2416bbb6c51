// The tree-view control on a QTreeWidget: items carry the form's numbers,
// expand buttons show before children are read, labels are edited in place
// (a click on the selected label or F2) and a confirmed edit is handed to
// the form instead of being written into the item.
#pragma once

#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <functional>
#include <string>
#include <unordered_map>

#include "ui/Controls.h"

namespace tarnwell::ui::qt {

class QtTreeView : public TreeView {
public:
  explicit QtTreeView(QTreeWidget* tree);
  ~QtTreeView() override;
  QtTreeView(const QtTreeView&) = delete;
  QtTreeView& operator=(const QtTreeView&) = delete;

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

  // The form's number of a widget item; NoTreeItem for none.
  static TreeItem ItemOf(const QTreeWidgetItem* item);
  QTreeWidgetItem* WidgetItem(TreeItem item) const;

  // Called, after the editor has closed, with the text the user confirmed.
  std::function<void(TreeItem, const std::string&)> onEdited;

private:
  class EditDelegate;
  void Forget(QTreeWidgetItem* item);

  QTreeWidget* tree_;
  EditDelegate* delegate_;
  std::unordered_map<TreeItem, QTreeWidgetItem*> items_;
  int busyDepth_ = 0;
};

}  // namespace tarnwell::ui::qt
