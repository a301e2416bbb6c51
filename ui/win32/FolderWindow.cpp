// The folder chooser on native Windows controls.
#include "ui/win32/FolderWindow.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "ui/HandlerGuard.h"
#include "ui/win32/WinFonts.h"
#include "ui/win32/WinPanel.h"
#include "ui/win32/WindowProcedure.h"

namespace tarnwell::ui::win32 {
namespace {

constexpr const wchar_t* FolderClass = L"TarnwellFolder";
constexpr int TreeId = 200;
constexpr int PanelId = 201;
constexpr UINT WM_LABEL_EDITED = WM_APP + 10;

using Design = FormFolderDesign;

}  // namespace

FolderWindow::FolderWindow(HWND owner, AppServices& services, MessageBoxes& boxes, HFONT font,
                           std::function<FolderRoots()> roots)
    : boxes_(boxes) {
  const double scale = LayoutScale(font);
  auto scaled = [scale](int value) { return static_cast<int>(std::lround(value * scale)); };
  RegisterWindowClass(FolderClass, ForwardToOwner<FolderWindow>);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  window_ = ::CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, FolderClass,
                              Wide(FormFolderTexts::Caption).c_str(),
                              WS_OVERLAPPEDWINDOW & ~(WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
                              Design::Left, Design::Top, scaled(Design::Width),
                              scaled(Design::Height), owner, nullptr, instance, this);
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  HWND tree =
      ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, Wide(FormFolderTexts::Tree).c_str(),
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                            TVS_LINESATROOT | TVS_EDITLABELS,
                        0, 0, 0, 0, window_, reinterpret_cast<HMENU>(TreeId), instance, nullptr);
  ::SendMessageW(tree, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SendMessageW(tree, TVM_SETINDENT, static_cast<WPARAM>(scaled(Design::Indent)), 0);
  tree_.Attach(tree);
  panel_ = CreatePanel(window_, PanelId);
  // "キャンセル" stands left of "OK" but comes after it in the tab order.
  HWND ok = ::CreateWindowExW(0, WC_BUTTONW, Wide(FormFolderTexts::OK).c_str(),
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                              scaled(Design::OkLeft), scaled(Design::ButtonTop),
                              scaled(Design::ButtonWidth), scaled(Design::ButtonHeight), panel_,
                              reinterpret_cast<HMENU>(IDOK), instance, nullptr);
  HWND cancel = ::CreateWindowExW(0, WC_BUTTONW, Wide(FormFolderTexts::Cancel).c_str(),
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                                  scaled(Design::CancelLeft), scaled(Design::ButtonTop),
                                  scaled(Design::ButtonWidth), scaled(Design::ButtonHeight), panel_,
                                  reinterpret_cast<HMENU>(IDCANCEL), instance, nullptr);
  ::SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SendMessageW(cancel, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SetWindowLongPtrW(panel_, GWLP_USERDATA, scaled(Design::PanelHeight));
  Layout();

  windowAdapter_.Attach(window_);
  form_ = std::make_unique<TFormFolder>(
      TFormFolderControls{.Form = windowAdapter_, .ShellTreeViewMain = tree_, .Boxes = boxes},
      services, std::move(roots));
  tree_.onExpanding = [this](TreeItem item) { form_->ShellTreeViewMainExpanding(item); };
  tree_.onEdited = [this](TreeItem item, const std::string& text) {
    // Renamed once the control has finished the edit: a rename may move the
    // item, which must not happen while the control still edits it.
    editedItem_ = item;
    editedText_ = text;
    ::PostMessageW(window_, WM_LABEL_EDITED, 0, 0);
  };
}

FolderWindow::~FolderWindow() {
  form_.reset();
  if (window_ != nullptr && ::IsWindow(window_)) ::DestroyWindow(window_);
}

void FolderWindow::Create() {
  RunHandler(boxes_, [this] { form_->FormCreate(); });
}

void FolderWindow::Layout() {
  RECT client{};
  ::GetClientRect(window_, &client);
  const int panelHeight = static_cast<int>(::GetWindowLongPtrW(panel_, GWLP_USERDATA));
  // The tree takes up every change of the window's size.
  ::MoveWindow(tree_.Handle(), 0, 0, client.right,
               std::max(0, static_cast<int>(client.bottom) - panelHeight), TRUE);
  ::MoveWindow(panel_, 0, client.bottom - panelHeight, client.right, panelHeight, TRUE);
}

void FolderWindow::ContextMenu(POINT screen) {
  // A right click selects the folder under the pointer first.
  const TreeItem item = tree_.ItemAt(screen);
  if (item == NoTreeItem) return;
  tree_.Select(item);
  const std::vector<FolderCommand> commands = form_->ShellTreeViewMainCommands(item);
  if (commands.empty()) return;
  HMENU menu = ::CreatePopupMenu();
  for (std::size_t i = 0; i < commands.size(); ++i) {
    ::AppendMenuW(menu, MF_STRING, i + 1, Wide(FolderCommandText(commands[i])).c_str());
  }
  const UINT chosen = static_cast<UINT>(::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                         screen.x, screen.y, 0, window_, nullptr));
  ::DestroyMenu(menu);
  if (chosen == 0 || chosen > commands.size()) return;
  RunHandler(boxes_, [&] { form_->ShellTreeViewMainCommand(item, commands[chosen - 1]); });
}

LRESULT FolderWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (!form_) return 0;
      if (LOWORD(wParam) == IDOK) {
        RunHandler(boxes_, [this] { form_->ButtonOKClick(); });
      } else if (LOWORD(wParam) == IDCANCEL) {
        RunHandler(boxes_, [this] { form_->ButtonCancelClick(); });
      }
      return 0;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != tree_.Handle()) return 0;
      if (header->code == NM_RCLICK) {
        POINT cursor{};
        ::GetCursorPos(&cursor);
        ContextMenu(cursor);
        return TRUE;
      }
      return tree_.Notify(*header);
    }
    case WM_CONTEXTMENU:
      // Shift+F10 or the menu key: the selected folder's menu at its label.
      if (reinterpret_cast<HWND>(wParam) == tree_.Handle() && GET_X_LPARAM(lParam) == -1) {
        RECT rect{};
        auto* selected = reinterpret_cast<HTREEITEM>(
            ::SendMessageW(tree_.Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0));
        if (selected == nullptr) return 0;
        // The control reads the item's handle from the rectangle's start.
        std::memcpy(&rect, &selected, sizeof selected);
        ::SendMessageW(tree_.Handle(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect));
        POINT point{rect.left, rect.bottom};
        ::ClientToScreen(tree_.Handle(), &point);
        ContextMenu(point);
      }
      return 0;
    case WM_LABEL_EDITED:
      if (form_ && editedItem_ != NoTreeItem) {
        const TreeItem item = editedItem_;
        editedItem_ = NoTreeItem;
        RunHandler(boxes_, [&] { form_->ShellTreeViewMainEdited(item, editedText_); });
      }
      return 0;
    case WM_SIZE:
      if (panel_ != nullptr) Layout();
      return 0;
    case WM_SHOWWINDOW:
      // Every showing starts in the tree, so that the arrow keys work at once.
      if (wParam) focus_ = tree_.Handle();
      return ::DefWindowProcW(window_, message, wParam, lParam);
    case WM_ACTIVATE:
      // The system would focus the window itself, which takes no keys: the
      // control that had the focus gets it back (after a box too, such as
      // a refused rename's).
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focused = ::GetFocus();
        if (focused != nullptr && ::IsChild(window_, focused)) focus_ = focused;
      } else {
        ::SetFocus(::IsWindow(focus_) ? focus_ : tree_.Handle());
        return 0;
      }
      return ::DefWindowProcW(window_, message, wParam, lParam);
    case WM_CLOSE:
      // Every way of closing saves the bounds, then the modal showing ends.
      windowAdapter_.CloseDialog([this] {
        if (form_) RunHandler(boxes_, [this] { form_->FormClose(); });
      });
      return 0;
    default:
      return ::DefWindowProcW(window_, message, wParam, lParam);
  }
}

}  // namespace tarnwell::ui::win32
