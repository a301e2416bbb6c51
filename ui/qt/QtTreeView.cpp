// The tree-view control on Qt.
#include "ui/qt/QtTreeView.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMetaObject>
#include <QStyle>
#include <vector>

#include "ui/qt/QtControls.h"

namespace tarnwell::ui::qt {
namespace {

constexpr int IdRole = Qt::UserRole;

QIcon IconFor(TreeIcon icon, const QStyle* style) {
  const QFileIconProvider provider;
  switch (icon) {
    case TreeIcon::Desktop:
      return provider.icon(QAbstractFileIconProvider::Desktop);
    case TreeIcon::Home:
      return style->standardIcon(QStyle::SP_DirHomeIcon);
    case TreeIcon::Computer:
      return provider.icon(QAbstractFileIconProvider::Computer);
    case TreeIcon::Drive:
      return provider.icon(QAbstractFileIconProvider::Drive);
    case TreeIcon::Folder:
      break;
  }
  // A selected folder shows as an open one.
  QIcon folder = style->standardIcon(QStyle::SP_DirClosedIcon);
  const QIcon open = style->standardIcon(QStyle::SP_DirOpenIcon);
  for (const QSize& size : open.availableSizes()) {
    folder.addPixmap(open.pixmap(size), QIcon::Selected);
  }
  return folder;
}

// The expanded items of the branch, the branch's own item included.
void CollectExpanded(QTreeWidgetItem* item, std::vector<QTreeWidgetItem*>& expanded) {
  if (!item->isExpanded()) return;
  expanded.push_back(item);
  for (int i = 0; i < item->childCount(); ++i) CollectExpanded(item->child(i), expanded);
}

}  // namespace

// Hands the confirmed text to the form once the editor has gone, so that a
// message box the form shows does not run inside the editor's commit.
class QtTreeView::EditDelegate : public QStyledItemDelegate {
public:
  EditDelegate(QtTreeView& view, QObject* parent) : QStyledItemDelegate(parent), view_(view) {}
  void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override {
    const auto* line = qobject_cast<QLineEdit*>(editor);
    if (line == nullptr) return;
    const TreeItem item = index.data(IdRole).toULongLong();
    const std::string text = ToStdString(line->text());
    QtTreeView& view = view_;
    QMetaObject::invokeMethod(
        parent(),
        [&view, item, text] {
          if (view.onEdited) view.onEdited(item, text);
        },
        Qt::QueuedConnection);
  }

private:
  QtTreeView& view_;
};

QtTreeView::QtTreeView(QTreeWidget* tree) : tree_(tree), delegate_(new EditDelegate(*this, tree)) {
  tree_->setItemDelegate(delegate_);
  tree_->setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed);
}

QtTreeView::~QtTreeView() {
  while (busyDepth_ > 0) SetBusy(false);
}

TreeItem QtTreeView::ItemOf(const QTreeWidgetItem* item) {
  return item == nullptr ? NoTreeItem : item->data(0, IdRole).toULongLong();
}

QTreeWidgetItem* QtTreeView::WidgetItem(TreeItem item) const {
  const auto found = items_.find(item);
  return found == items_.end() ? nullptr : found->second;
}

void QtTreeView::InsertItem(TreeItem parent, int index, TreeItem item, const TreeItemData& data) {
  auto* widgetItem = new QTreeWidgetItem;
  widgetItem->setText(0, ToQString(data.Label));
  widgetItem->setData(0, IdRole, QVariant::fromValue<qulonglong>(item));
  widgetItem->setIcon(0, IconFor(data.Icon, tree_->style()));
  widgetItem->setChildIndicatorPolicy(data.Expandable
                                          ? QTreeWidgetItem::ShowIndicator
                                          : QTreeWidgetItem::DontShowIndicatorWhenChildless);
  Qt::ItemFlags flags = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  if (data.Editable) flags |= Qt::ItemIsEditable;
  widgetItem->setFlags(flags);
  if (QTreeWidgetItem* parentItem = WidgetItem(parent)) {
    parentItem->insertChild(index, widgetItem);
  } else {
    tree_->insertTopLevelItem(index, widgetItem);
  }
  items_[item] = widgetItem;
}

void QtTreeView::Forget(QTreeWidgetItem* item) {
  for (int i = 0; i < item->childCount(); ++i) Forget(item->child(i));
  items_.erase(ItemOf(item));
}

void QtTreeView::RemoveItem(TreeItem item) {
  QTreeWidgetItem* widgetItem = WidgetItem(item);
  if (widgetItem == nullptr) return;
  Forget(widgetItem);
  delete widgetItem;  // takes itself and its children out of the tree
}

void QtTreeView::MoveItem(TreeItem item, int index) {
  QTreeWidgetItem* widgetItem = WidgetItem(item);
  if (widgetItem == nullptr) return;
  QTreeWidgetItem* parent = widgetItem->parent();
  const int from =
      parent != nullptr ? parent->indexOfChild(widgetItem) : tree_->indexOfTopLevelItem(widgetItem);
  if (from == index) return;
  // Taking an item out forgets which of its branches were open.
  std::vector<QTreeWidgetItem*> expanded;
  CollectExpanded(widgetItem, expanded);
  const bool current = tree_->currentItem() == widgetItem;
  if (parent != nullptr) {
    parent->insertChild(index, parent->takeChild(from));
  } else {
    tree_->insertTopLevelItem(index, tree_->takeTopLevelItem(from));
  }
  for (QTreeWidgetItem* open : expanded) open->setExpanded(true);
  if (current) tree_->setCurrentItem(widgetItem);
}

void QtTreeView::SetLabel(TreeItem item, const std::string& label) {
  if (QTreeWidgetItem* widgetItem = WidgetItem(item)) widgetItem->setText(0, ToQString(label));
}

void QtTreeView::SetExpandable(TreeItem item, bool expandable) {
  if (QTreeWidgetItem* widgetItem = WidgetItem(item)) {
    widgetItem->setChildIndicatorPolicy(expandable ? QTreeWidgetItem::ShowIndicator
                                                   : QTreeWidgetItem::DontShowIndicator);
  }
}

void QtTreeView::Expand(TreeItem item) {
  if (QTreeWidgetItem* widgetItem = WidgetItem(item)) widgetItem->setExpanded(true);
}

TreeItem QtTreeView::Selected() const {
  const QList<QTreeWidgetItem*> selected = tree_->selectedItems();
  return selected.isEmpty() ? NoTreeItem : ItemOf(selected.front());
}

void QtTreeView::Select(TreeItem item) {
  QTreeWidgetItem* widgetItem = WidgetItem(item);
  if (widgetItem == nullptr) return;
  tree_->setCurrentItem(widgetItem);
  tree_->scrollToItem(widgetItem);
}

void QtTreeView::EditLabel(TreeItem item) {
  if (QTreeWidgetItem* widgetItem = WidgetItem(item)) tree_->editItem(widgetItem);
}

void QtTreeView::SetBusy(bool busy) {
  if (busy) {
    ++busyDepth_;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (busyDepth_ > 0) {
    --busyDepth_;
    QGuiApplication::restoreOverrideCursor();
  }
}

}  // namespace tarnwell::ui::qt
