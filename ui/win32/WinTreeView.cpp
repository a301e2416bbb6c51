// The tree interface on the common tree-view control.
#include "ui/win32/WinTreeView.h"

#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "ui/win32/WinControls.h"

namespace tarnwell::ui::win32 {
namespace {

// The shell's small icon for a special folder, in the system image list.
int SpecialFolderIcon(int csidl, UINT flags) {
  PIDLIST_ABSOLUTE list = nullptr;
  if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, &list))) return 0;
  SHFILEINFOW info{};
  ::SHGetFileInfoW(reinterpret_cast<LPCWSTR>(list), 0, &info, sizeof info,
                   SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | flags);
  ::CoTaskMemFree(list);
  return info.iIcon;
}

int PathIcon(const wchar_t* path, DWORD attributes, UINT flags) {
  SHFILEINFOW info{};
  ::SHGetFileInfoW(path, attributes, &info, sizeof info,
                   SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | flags);
  return info.iIcon;
}

}  // namespace

struct WinTreeView::Saved {
  TreeItem Item = NoTreeItem;
  std::wstring Label;
  int Image = 0;
  int SelectedImage = 0;
  int Children = 0;
  bool Expanded = false;
  std::vector<Saved> Below;
};

void WinTreeView::Attach(HWND tree) {
  tree_ = tree;
  SHFILEINFOW info{};
  auto* list = reinterpret_cast<HIMAGELIST>(
      ::SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (list != nullptr)
    ::SendMessageW(tree_, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(list));
  for (int open = 0; open < 2; ++open) {
    const UINT flags = open ? SHGFI_OPENICON : 0;
    icons_[static_cast<int>(TreeIcon::Desktop)][open] = SpecialFolderIcon(CSIDL_DESKTOP, flags);
    icons_[static_cast<int>(TreeIcon::Home)][open] = SpecialFolderIcon(CSIDL_PROFILE, flags);
    icons_[static_cast<int>(TreeIcon::Computer)][open] = SpecialFolderIcon(CSIDL_DRIVES, flags);
    icons_[static_cast<int>(TreeIcon::Drive)][open] =
        PathIcon(L"C:\\", FILE_ATTRIBUTE_DIRECTORY, flags);
    icons_[static_cast<int>(TreeIcon::Folder)][open] =
        PathIcon(L"folder", FILE_ATTRIBUTE_DIRECTORY, flags);
  }
}

int WinTreeView::IconIndex(TreeIcon icon, bool open) const {
  return icons_[static_cast<int>(icon)][open ? 1 : 0];
}

HTREEITEM WinTreeView::ItemHandle(TreeItem item) const {
  const auto found = items_.find(item);
  return found == items_.end() ? nullptr : found->second;
}

HTREEITEM WinTreeView::ChildAt(HTREEITEM parent, int index) const {
  HTREEITEM child = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree_, TVM_GETNEXTITEM, parent == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD,
                     reinterpret_cast<LPARAM>(parent == TVI_ROOT ? nullptr : parent)));
  for (int i = 0; i < index && child != nullptr; ++i) {
    child = reinterpret_cast<HTREEITEM>(
        ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)));
  }
  return child;
}

void WinTreeView::InsertItem(TreeItem parent, int index, TreeItem item, const TreeItemData& data) {
  HTREEITEM parentHandle = parent == NoTreeItem ? TVI_ROOT : ItemHandle(parent);
  if (parentHandle == nullptr) return;
  HTREEITEM after = index <= 0 ? TVI_FIRST : ChildAt(parentHandle, index - 1);
  std::wstring label = Wide(data.Label);
  TVINSERTSTRUCTW insert{};
  insert.hParent = parentHandle;
  insert.hInsertAfter = after != nullptr ? after : TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  insert.item.pszText = label.data();
  insert.item.lParam = static_cast<LPARAM>(item);
  insert.item.iImage = IconIndex(data.Icon, false);
  insert.item.iSelectedImage = IconIndex(data.Icon, true);
  insert.item.cChildren = data.Expandable ? 1 : 0;
  auto* handle = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (handle == nullptr) return;
  items_[item] = handle;
  if (data.Editable) editable_.insert(item);
}

void WinTreeView::Forget(HTREEITEM handle) {
  TVITEMW info{};
  info.mask = TVIF_PARAM;
  info.hItem = handle;
  if (::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info))) {
    items_.erase(static_cast<TreeItem>(info.lParam));
    editable_.erase(static_cast<TreeItem>(info.lParam));
  }
  for (HTREEITEM child = ChildAt(handle, 0); child != nullptr;
       child = reinterpret_cast<HTREEITEM>(
           ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
    Forget(child);
  }
}

void WinTreeView::RemoveItem(TreeItem item) {
  HTREEITEM handle = ItemHandle(item);
  if (handle == nullptr) return;
  Forget(handle);
  ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(handle));
}

WinTreeView::Saved WinTreeView::Save(HTREEITEM handle) const {
  Saved saved;
  wchar_t text[1024] = {};
  TVITEMW info{};
  info.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
  info.hItem = handle;
  info.pszText = text;
  info.cchTextMax = 1024;
  info.stateMask = TVIS_EXPANDED;
  ::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
  saved.Item = static_cast<TreeItem>(info.lParam);
  saved.Label = text;
  saved.Image = info.iImage;
  saved.SelectedImage = info.iSelectedImage;
  saved.Children = info.cChildren;
  saved.Expanded = (info.state & TVIS_EXPANDED) != 0;
  for (HTREEITEM child = ChildAt(handle, 0); child != nullptr;
       child = reinterpret_cast<HTREEITEM>(
           ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
    saved.Below.push_back(Save(child));
  }
  return saved;
}

void WinTreeView::Restore(HTREEITEM parent, HTREEITEM after, const Saved& saved) {
  std::wstring label = saved.Label;
  TVINSERTSTRUCTW insert{};
  insert.hParent = parent;
  insert.hInsertAfter = after;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
  insert.item.pszText = label.data();
  insert.item.lParam = static_cast<LPARAM>(saved.Item);
  insert.item.iImage = saved.Image;
  insert.item.iSelectedImage = saved.SelectedImage;
  insert.item.cChildren = saved.Children;
  auto* handle = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree_, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  items_[saved.Item] = handle;
  for (const Saved& child : saved.Below) Restore(handle, TVI_LAST, child);
  if (saved.Expanded)
    ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handle));
}

void WinTreeView::MoveItem(TreeItem item, int index) {
  HTREEITEM handle = ItemHandle(item);
  if (handle == nullptr) return;
  HTREEITEM parent = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(handle)));
  if (parent == nullptr) parent = TVI_ROOT;
  const bool selected = Selected() == item;
  const Saved saved = Save(handle);
  const bool editable = editable_.contains(item);
  ::SendMessageW(tree_, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(handle));
  HTREEITEM after = index <= 0 ? TVI_FIRST : ChildAt(parent, index - 1);
  Restore(parent, after != nullptr ? after : TVI_LAST, saved);
  if (editable) editable_.insert(item);
  if (selected) Select(item);
}

void WinTreeView::SetLabel(TreeItem item, const std::string& label) {
  std::wstring text = Wide(label);
  TVITEMW info{};
  info.mask = TVIF_TEXT;
  info.hItem = ItemHandle(item);
  info.pszText = text.data();
  if (info.hItem != nullptr)
    ::SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&info));
}

void WinTreeView::SetExpandable(TreeItem item, bool expandable) {
  TVITEMW info{};
  info.mask = TVIF_CHILDREN;
  info.hItem = ItemHandle(item);
  info.cChildren = expandable ? 1 : 0;
  if (info.hItem != nullptr)
    ::SendMessageW(tree_, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&info));
}

void WinTreeView::Expand(TreeItem item) {
  // The control reports no expansion that a program asks for itself.
  if (onExpanding) onExpanding(item);
  if (HTREEITEM handle = ItemHandle(item)) {
    ::SendMessageW(tree_, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(handle));
  }
}

TreeItem WinTreeView::Selected() const {
  TVITEMW info{};
  info.mask = TVIF_PARAM;
  info.hItem = reinterpret_cast<HTREEITEM>(::SendMessageW(tree_, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (info.hItem == nullptr) return NoTreeItem;
  ::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
  return static_cast<TreeItem>(info.lParam);
}

void WinTreeView::Select(TreeItem item) {
  if (HTREEITEM handle = ItemHandle(item)) {
    ::SendMessageW(tree_, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(handle));
  }
}

void WinTreeView::EditLabel(TreeItem item) {
  if (HTREEITEM handle = ItemHandle(item)) {
    ::SetFocus(tree_);
    ::SendMessageW(tree_, TVM_EDITLABELW, 0, reinterpret_cast<LPARAM>(handle));
  }
}

void WinTreeView::SetBusy(bool busy) {
  ::SetCursor(::LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

TreeItem WinTreeView::ItemAt(POINT screen) const {
  TVHITTESTINFO hit{};
  hit.pt = screen;
  ::ScreenToClient(tree_, &hit.pt);
  auto* handle = reinterpret_cast<HTREEITEM>(
      ::SendMessageW(tree_, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (handle == nullptr || (hit.flags & TVHT_ONITEM) == 0) return NoTreeItem;
  TVITEMW info{};
  info.mask = TVIF_PARAM;
  info.hItem = handle;
  ::SendMessageW(tree_, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));
  return static_cast<TreeItem>(info.lParam);
}

LRESULT WinTreeView::Notify(const NMHDR& header) {
  switch (header.code) {
    case TVN_ITEMEXPANDINGW: {
      const auto& change = reinterpret_cast<const NMTREEVIEWW&>(header);
      if ((change.action & TVE_EXPAND) != 0 && onExpanding) {
        onExpanding(static_cast<TreeItem>(change.itemNew.lParam));
      }
      return FALSE;
    }
    case TVN_BEGINLABELEDITW: {
      const auto& edit = reinterpret_cast<const NMTVDISPINFOW&>(header);
      // TRUE refuses the edit: the desktop, drives and the like keep their names.
      return editable_.contains(static_cast<TreeItem>(edit.item.lParam)) ? FALSE : TRUE;
    }
    case TVN_ENDLABELEDITW: {
      const auto& edit = reinterpret_cast<const NMTVDISPINFOW&>(header);
      if (edit.item.pszText != nullptr && onEdited) {
        onEdited(static_cast<TreeItem>(edit.item.lParam), Utf8(edit.item.pszText));
      }
      // The form sets the label itself once the rename has succeeded.
      return FALSE;
    }
    default:
      return 0;
  }
}

}  // namespace tarnwell::ui::win32
