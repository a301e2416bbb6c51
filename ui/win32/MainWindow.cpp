// The main window on native Windows controls.
#include "ui/win32/MainWindow.h"

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <type_traits>

#include "ui/FormMainEvents.h"
#include "ui/FormMainLayout.h"
#include "ui/win32/WinFonts.h"
#include "ui/win32/WinPanel.h"
#include "ui/win32/WindowProcedure.h"

namespace tarnwell::ui::win32 {
namespace {

constexpr const wchar_t* MainClass = L"TarnwellMain";
constexpr int FirstControlId = 100;
constexpr UINT FirstMenuId = 1000;
constexpr int PanelId = 90;
constexpr int MemoId = 91;
constexpr int StatusId = 92;

int IndexOf(std::string_view name) {
  const auto controls = FormMainControls();
  for (std::size_t i = 0; i < controls.size(); ++i) {
    if (controls[i].Name == name) return static_cast<int>(i);
  }
  return -1;
}

// Tab in the result table moves on to the next control instead of typing a
// tab; every other key stays the memo's.
LRESULT CALLBACK MemoProcedure(HWND memo, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR) {
  if (message == WM_GETDLGCODE) {
    LRESULT code = ::DefSubclassProc(memo, message, wParam, lParam);
    const auto* key = reinterpret_cast<const MSG*>(lParam);
    if (key != nullptr && key->message == WM_KEYDOWN && key->wParam == VK_TAB) {
      code &= ~(DLGC_WANTALLKEYS | DLGC_WANTTAB | DLGC_WANTMESSAGE);
    }
    return code & ~DLGC_HASSETSEL;  // focus by Tab keeps the reader's place
  }
  return ::DefSubclassProc(memo, message, wParam, lParam);
}

// The adapter of a control of the list over the control or menu item that
// the layout or menu table named `name`.
template <class Adapter>
Adapter Bind(const MainWindow& window, const char* name) {
  if constexpr (std::is_same_v<Adapter, WinMenuItem> || std::is_same_v<Adapter, WinCheckMenuItem>) {
    return Adapter(::GetMenu(window.Handle()), MainWindow::MenuCommand(name));
  } else if constexpr (std::is_same_v<Adapter, WinLabel>) {
    // The panel's labels fit their text; the status bar sizes the progress line.
    return WinLabel(window.Control(name), FindControlLayout(name) != nullptr);
  } else if constexpr (std::is_same_v<Adapter, WinWindow> ||
                       std::is_same_v<Adapter, WinSaveDialog> ||
                       std::is_same_v<Adapter, WinGuiThread>) {
    return Adapter(window.Handle());  // the window, its dialogs' owner, its queue
  } else {
    return Adapter(window.Control(name));
  }
}

}  // namespace

struct MainWindow::Adapters {
#define TARNWELL_ADAPTER(Interface, Name, member) Win##Interface member;
  TARNWELL_FORM_MAIN_CONTROLS(TARNWELL_ADAPTER)
#undef TARNWELL_ADAPTER
};

MainWindow::MainWindow(AppServices& services, MessageBoxes& boxes) : boxes_(boxes) {
  font_ = CreateWindowFont();
  memoFont_ = CreateMemoFont();
  scale_ = LayoutScale(font_);
  RegisterWindowClass(MainClass, ForwardToOwner<MainWindow>);
  const std::wstring caption = Wide(FormMainDesign::LayoutCaption);
  window_ = ::CreateWindowExW(
      WS_EX_CONTROLPARENT, MainClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
      FormMainDesign::Left, FormMainDesign::Top, Scaled(FormMainDesign::Width),
      Scaled(FormMainDesign::Height), nullptr, nullptr, ::GetModuleHandleW(nullptr), this);
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  panel_ = CreatePanel(window_, PanelId);
  BuildControls();
  BuildMenu();
  Layout();

#define TARNWELL_BIND(Interface, Name, member) Bind<Win##Interface>(*this, #Name),
  adapters_.reset(new Adapters{TARNWELL_FORM_MAIN_CONTROLS(TARNWELL_BIND)});
#undef TARNWELL_BIND
  form_ = std::make_unique<TFormMain>(FormMainControlsOf(*adapters_, boxes), services);
  focus_ = Control("EditFolder");
}

MainWindow::~MainWindow() {
  form_.reset();
  if (window_ != nullptr && ::IsWindow(window_)) {
    closing_ = true;
    ::DestroyWindow(window_);
  }
  ::DeleteObject(font_);
  ::DeleteObject(memoFont_);
}

int MainWindow::Scaled(int value) const { return static_cast<int>(std::lround(value * scale_)); }

HWND MainWindow::Control(std::string_view name) const {
  if (name == "MemoResult") return memo_;
  if (name == "LabelProgress") return status_;
  if (name == "PanelTop") return panel_;
  const int index = IndexOf(name);
  return index < 0 ? nullptr : controls_[static_cast<std::size_t>(index)];
}

UINT MainWindow::MenuCommand(std::string_view name) {
  const auto menu = FormMainMenu();
  for (std::size_t i = 0; i < menu.size(); ++i) {
    if (menu[i].Name == name) return FirstMenuId + static_cast<UINT>(i);
  }
  return 0;
}

void MainWindow::BuildControls() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  const auto layout = FormMainControls();
  controls_.assign(layout.size(), nullptr);
  // Creation order is the tab order; each label comes right before the
  // control it names, so that screen readers announce the control by it.
  std::vector<std::size_t> order(layout.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  auto rank = [&](std::size_t i) {
    const ControlLayout& control = layout[i];
    if (control.TabOrder >= 0) return control.TabOrder * 2 + 1;
    for (const ControlLayout& other : layout) {
      if (&other != &control && other.TabOrder >= 0 &&
          other.AccessibleName == control.AccessibleName) {
        return other.TabOrder * 2;
      }
    }
    return 1000;  // a label of its own (the file count) goes last
  };
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return rank(a) < rank(b); });
  for (std::size_t index : order) {
    const ControlLayout& control = layout[index];
    const std::wstring text = Wide(control.Text);
    const wchar_t* className = WC_STATICW;
    DWORD style = WS_CHILD | WS_VISIBLE;
    DWORD extended = 0;
    switch (control.Kind) {
      case ControlKind::Label:
        style |= SS_LEFT | SS_NOPREFIX;
        break;
      case ControlKind::Edit:
        className = WC_EDITW;
        style |= WS_TABSTOP | ES_AUTOHSCROLL;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::Button:
        className = WC_BUTTONW;
        style |= WS_TABSTOP | BS_PUSHBUTTON;
        break;
      case ControlKind::DropDownList:
        className = WC_COMBOBOXW;
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
        break;
      case ControlKind::CheckBox:
        className = WC_BUTTONW;
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
    }
    const bool list = control.Kind == ControlKind::DropDownList;
    // A drop-down list's height is that of its open list.
    const int height =
        list ? Scaled(control.Height) + Scaled(14) * static_cast<int>(control.Items.size()) + 8
             : Scaled(control.Height);
    HWND handle = ::CreateWindowExW(
        extended, className, list ? L"" : text.c_str(), style, Scaled(control.Left),
        Scaled(control.Top), Scaled(control.Width), height, panel_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(FirstControlId + static_cast<int>(index))),
        instance, nullptr);
    ::SendMessageW(handle, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    controls_[index] = handle;
    if (list) {
      for (std::string_view item : control.Items) {
        ::SendMessageW(handle, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
      }
      ::SendMessageW(handle, CB_SETITEMHEIGHT, 0, Scaled(12));  // the lists' designed item height
      ::SendMessageW(handle, CB_SETCURSEL, static_cast<WPARAM>(control.ItemIndex), 0);
    } else if (control.Kind == ControlKind::Label) {
      // Labels size themselves to their text.
      const SIZE size = TextExtent(font_, text);
      ::SetWindowPos(handle, nullptr, 0, 0, size.cx, Scaled(control.Height),
                     SWP_NOMOVE | SWP_NOZORDER);
    } else if (control.Kind == ControlKind::CheckBox) {
      // As wide as box and text: a wider one would reach under its right
      // neighbour and take its clicks.
      const int box = ::GetSystemMetrics(SM_CXMENUCHECK) + 6;
      const int width =
          std::min(Scaled(control.Width), static_cast<int>(TextExtent(font_, text).cx) + box);
      ::SetWindowPos(handle, nullptr, 0, 0, width, Scaled(control.Height),
                     SWP_NOMOVE | SWP_NOZORDER);
    }
  }
  // The result table: a hidden-size label names it for screen readers.
  HWND name = ::CreateWindowExW(0, WC_STATICW, Wide(FormMainDesign::MemoAccessibleName).c_str(),
                                WS_CHILD | WS_VISIBLE | SS_NOPREFIX, 0, 0, 0, 0, window_, nullptr,
                                instance, nullptr);
  ::SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  memo_ =
      ::CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"",
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                            ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                        0, 0, 0, 0, window_, reinterpret_cast<HMENU>(MemoId), instance, nullptr);
  ::SendMessageW(memo_, WM_SETFONT, reinterpret_cast<WPARAM>(memoFont_), FALSE);
  ::SendMessageW(memo_, EM_SETLIMITTEXT, 0, 0);  // as much as memory allows
  ::SetWindowSubclass(memo_, MemoProcedure, 1, 0);
  status_ =
      ::CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0,
                        0, window_, reinterpret_cast<HMENU>(StatusId), instance, nullptr);
  ::SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
}

void MainWindow::BuildMenu() {
  HMENU bar = ::CreateMenu();
  HMENU current = nullptr;
  const auto menu = FormMainMenu();
  for (std::size_t i = 0; i < menu.size(); ++i) {
    const MenuLayout& item = menu[i];
    if (item.Parent.empty()) {
      current = ::CreatePopupMenu();
      ::AppendMenuW(bar, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(current),
                    Wide(item.Caption).c_str());
    } else if (item.Caption.empty()) {
      ::AppendMenuW(current, MF_SEPARATOR, 0, nullptr);
    } else {
      ::AppendMenuW(current, MF_STRING, FirstMenuId + i, Wide(item.Caption).c_str());
    }
  }
  ::SetMenu(window_, bar);
}

void MainWindow::Layout() {
  RECT client{};
  ::GetClientRect(window_, &client);
  ::SendMessageW(status_, WM_SIZE, 0, 0);
  RECT status{};
  ::GetWindowRect(status_, &status);
  const int statusHeight = status.bottom - status.top;
  const int panelHeight = Scaled(FormMainDesign::PanelTopHeight);
  ::MoveWindow(panel_, 0, 0, client.right, panelHeight, TRUE);
  ::MoveWindow(memo_, 0, panelHeight, client.right,
               std::max(0, static_cast<int>(client.bottom) - panelHeight - statusHeight), TRUE);
}

void MainWindow::Create() {
  form_->Handle(&TFormMain::FormCreate);
  ::SetFocus(focus_);
}

void MainWindow::Dispatch(std::string_view control, bool closeUp) {
  for (const EventWiring& wiring : FormMainEvents()) {
    if (wiring.Control == control && (wiring.Event == ControlEvent::CloseUp) == closeUp) {
      form_->Handle(wiring.Handler);
      return;
    }
  }
}

void MainWindow::Command(UINT id, UINT code) {
  const auto menu = FormMainMenu();
  if (id >= FirstMenuId && id < FirstMenuId + menu.size()) {
    const MenuLayout& item = menu[id - FirstMenuId];
    // A check item turns its mark over first, as Qt's do.
    if (item.Checkable) {
      HMENU bar = ::GetMenu(window_);
      const bool checked = (::GetMenuState(bar, id, MF_BYCOMMAND) & MF_CHECKED) != 0;
      ::CheckMenuItem(bar, id, MF_BYCOMMAND | (checked ? MF_UNCHECKED : MF_CHECKED));
    }
    Dispatch(item.Name, false);
    return;
  }
  if (id == IDOK) {
    // Enter on a push button that a click (or the focus coming back to it)
    // gave the focus: only the Tab key makes it the default button, so the
    // dialog manager asks the window for its OK instead. The button means it.
    HWND focused = ::GetFocus();
    if (focused != nullptr && ::IsChild(window_, focused) &&
        (::SendMessageW(focused, WM_GETDLGCODE, 0, 0) & DLGC_UNDEFPUSHBUTTON)) {
      id = static_cast<UINT>(::GetDlgCtrlID(focused));
      code = BN_CLICKED;
    }
  }
  const auto layout = FormMainControls();
  if (id < FirstControlId || id >= FirstControlId + layout.size()) return;
  const std::string_view name = layout[id - FirstControlId].Name;
  if (code == BN_CLICKED) {
    Dispatch(name, false);
  } else if (code == CBN_CLOSEUP) {
    // Decided once the closing has run its course: a list closed because
    // the window was hidden, minimised or closed runs no handler.
    ::PostMessageW(window_, WM_CLOSE_UP, id, 0);
  }
}

LRESULT MainWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (form_) Command(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CLOSE_UP: {
      const UINT id = static_cast<UINT>(wParam);
      if (form_ && !closing_ && ::IsWindowVisible(window_) && !::IsIconic(window_)) {
        Dispatch(FormMainControls()[id - FirstControlId].Name, true);
      }
      return 0;
    }
    case WM_RUN_TASKS:
      if (adapters_) adapters_->gui.RunTasks();
      return 0;
    case WM_TIMER:
      if (adapters_ && wParam == WinGuiThread::TickerId) adapters_->gui.Tick();
      return 0;
    case WM_SIZE:
      if (status_ != nullptr) Layout();
      return 0;
    case WM_ACTIVATE:
      // Focus comes back to the control that had it.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focused = ::GetFocus();
        if (focused != nullptr && ::IsChild(window_, focused)) focus_ = focused;
      } else if (focus_ != nullptr) {
        ::SetFocus(focus_);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (closing_) return 0;
      closing_ = true;
      // While a box or dialog is up the window is disabled and its close box
      // out of reach: this request comes from outside (a task manager, the
      // system). The program ends, and no box may hold it up.
      if (!::IsWindowEnabled(window_)) boxes_.StopWaiting();
      // A run stops and cleans up first; then the settings are saved.
      if (form_) form_->Handle(&TFormMain::FormClose);
      ::DestroyWindow(window_);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      // The session ends without WM_CLOSE: stop, clean up and save as the
      // close box does.
      if (wParam && !closing_ && form_) {
        closing_ = true;
        // Nobody is there to answer a box, and it would hold up the logout.
        boxes_.StopWaiting();
        form_->Handle(&TFormMain::FormClose);
      }
      return 0;
    case WM_DESTROY:
      ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
      window_ = nullptr;
      ::PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace tarnwell::ui::win32
