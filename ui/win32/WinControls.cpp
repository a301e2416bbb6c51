// The control interfaces on native Windows controls.
#include "ui/win32/WinControls.h"

#include <commctrl.h>
#include <commdlg.h>

#include <utility>

namespace tarnwell::ui::win32 {

// The binding converts at its own calls, as the platform's Windows bodies do
// at theirs; their conversion helpers stay private to them.
std::wstring Wide(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Utf8(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                        nullptr, nullptr);
  return text;
}

std::string WindowText(HWND window) {
  const int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int got = ::GetWindowTextW(window, text.data(), length + 1);
  text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  return Utf8(text);
}

SIZE TextExtent(HFONT font, std::wstring_view text) {
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, font);
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text.data(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return size;
}

// ---- lists, boxes, texts ----------------------------------------------------

int WinDropDownList::ItemIndex() const {
  return static_cast<int>(::SendMessageW(handle_, CB_GETCURSEL, 0, 0));
}

void WinDropDownList::SetItemIndex(int index) {
  ::SendMessageW(handle_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int WinDropDownList::Count() const {
  return static_cast<int>(::SendMessageW(handle_, CB_GETCOUNT, 0, 0));
}

std::string WinDropDownList::Item(int index) const {
  const LRESULT length = ::SendMessageW(handle_, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (length == CB_ERR) return {};
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  ::SendMessageW(handle_, CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return Utf8(text);
}

bool WinCheckBox::Checked() const {
  return ::SendMessageW(handle_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void WinCheckBox::SetChecked(bool checked) {
  ::SendMessageW(handle_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void WinEdit::SetText(const std::string& text) { ::SetWindowTextW(handle_, Wide(text).c_str()); }

void WinButton::SetCaption(const std::string& caption) {
  ::SetWindowTextW(handle_, Wide(caption).c_str());
}

void WinLabel::SetCaption(const std::string& caption) {
  const std::wstring text = Wide(caption);
  ::SetWindowTextW(handle_, text.c_str());
  if (!fitText_) return;
  // Labels size themselves to their text, as the layout's labels do.
  const SIZE size =
      TextExtent(reinterpret_cast<HFONT>(::SendMessageW(handle_, WM_GETFONT, 0, 0)), text);
  RECT rect{};
  ::GetWindowRect(handle_, &rect);
  ::SetWindowPos(handle_, nullptr, 0, 0, size.cx, rect.bottom - rect.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::InvalidateRect(::GetParent(handle_), nullptr, TRUE);
}

void WinMemo::SetText(const std::string& text) {
  ::SetWindowTextW(handle_, Wide(text).c_str());
  // The newest row is the one the user waits for.
  ::SendMessageW(handle_, EM_SETSEL, static_cast<WPARAM>(-1), static_cast<LPARAM>(-1));
  ::SendMessageW(handle_, EM_SCROLLCARET, 0, 0);
}

bool WinMenuItem::Enabled() const {
  return (::GetMenuState(menu_, command_, MF_BYCOMMAND) & (MF_DISABLED | MF_GRAYED)) == 0;
}

void WinMenuItem::SetEnabled(bool enabled) {
  ::EnableMenuItem(menu_, command_, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

bool WinCheckMenuItem::Checked() const {
  return (::GetMenuState(menu_, command_, MF_BYCOMMAND) & MF_CHECKED) != 0;
}

void WinCheckMenuItem::SetChecked(bool checked) {
  ::CheckMenuItem(menu_, command_, MF_BYCOMMAND | (checked ? MF_CHECKED : MF_UNCHECKED));
}

// ---- radio group -------------------------------------------------------------

void WinRadioGroup::SetCaption(const std::string& caption) {
  ::SetWindowTextW(handle_, Wide(caption).c_str());
}

void WinRadioGroup::SetItems(const std::vector<std::string>& items) {
  for (HWND button : buttons_) ::DestroyWindow(button);
  buttons_.clear();
  if (items.empty()) return;
  HWND parent = ::GetParent(handle_);
  RECT box{};
  ::GetWindowRect(handle_, &box);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&box), 2);
  // The items share the box's area below its caption evenly.
  TEXTMETRICW metrics{};
  HDC dc = ::GetDC(handle_);
  HGDIOBJ old = ::SelectObject(dc, font_);
  ::GetTextMetricsW(dc, &metrics);
  ::SelectObject(dc, old);
  ::ReleaseDC(handle_, dc);
  const int top = box.top + metrics.tmHeight;
  const int height = (box.bottom - 4 - top) / static_cast<int>(items.size());
  HWND after = handle_;
  for (std::size_t i = 0; i < items.size(); ++i) {
    DWORD style = WS_CHILD | WS_VISIBLE | BS_AUTORADIOBUTTON;
    if (i == 0) style |= WS_GROUP | WS_TABSTOP;
    HWND button = ::CreateWindowExW(
        0, WC_BUTTONW, Wide(items[i]).c_str(), style, box.left + 8,
        top + static_cast<int>(i) * height + (height - metrics.tmHeight - 4) / 2,
        box.right - box.left - 16, metrics.tmHeight + 4, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(firstId_ + static_cast<int>(i))),
        ::GetModuleHandleW(nullptr), nullptr);
    ::SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    // Right after the box in the tab order, each after the one before.
    ::SetWindowPos(button, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    after = button;
    buttons_.push_back(button);
  }
}

int WinRadioGroup::ItemIndex() const {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    if (::SendMessageW(buttons_[i], BM_GETCHECK, 0, 0) == BST_CHECKED) return static_cast<int>(i);
  }
  return -1;
}

void WinRadioGroup::SetItemIndex(int index) {
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    ::SendMessageW(buttons_[i], BM_SETCHECK,
                   static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

void WinRadioGroup::SetEnabled(bool enabled) {
  WinControl::SetEnabled(enabled);
  for (HWND button : buttons_) ::EnableWindow(button, enabled ? TRUE : FALSE);
}

// ---- top-level windows ---------------------------------------------------------

namespace {

// Enter and Esc in a tree's label editor end the edit, not the dialog.
bool EditsTreeLabel() {
  HWND focus = ::GetFocus();
  if (focus == nullptr) return false;
  wchar_t name[64] = {};
  ::GetClassNameW(::GetParent(focus), name, 64);
  return std::wstring_view(name) == WC_TREEVIEWW;
}

}  // namespace

void WinWindow::SetCaption(const std::string& caption) {
  ::SetWindowTextW(handle_, Wide(caption).c_str());
}

Bounds WinWindow::GetBounds() const {
  RECT rect{};
  if (::IsZoomed(handle_) || !::IsIconic(handle_)) {
    ::GetWindowRect(handle_, &rect);
  } else {
    // A minimised window's restored place; workspace coordinates, which
    // match the screen's when the taskbar is at the bottom.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    ::GetWindowPlacement(handle_, &placement);
    rect = placement.rcNormalPosition;
  }
  return Bounds{.Left = static_cast<int>(rect.left),
                .Top = static_cast<int>(rect.top),
                .Width = static_cast<int>(rect.right - rect.left),
                .Height = static_cast<int>(rect.bottom - rect.top)};
}

void WinWindow::Move(int left, int top, int width, int height) {
  ::SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void WinWindow::SetLeft(int left) {
  const Bounds b = GetBounds();
  Move(left, b.Top, b.Width, b.Height);
}

void WinWindow::SetTop(int top) {
  const Bounds b = GetBounds();
  Move(b.Left, top, b.Width, b.Height);
}

void WinWindow::SetWidth(int width) {
  const Bounds b = GetBounds();
  Move(b.Left, b.Top, width, b.Height);
}

void WinWindow::SetHeight(int height) {
  const Bounds b = GetBounds();
  Move(b.Left, b.Top, b.Width, height);
}

void WinWindow::Close() { ::SendMessageW(handle_, WM_CLOSE, 0, 0); }

void WinWindow::ShowModal() {
  HWND owner = ::GetWindow(handle_, GW_OWNER);
  if (owner != nullptr && ::IsWindowEnabled(owner)) {
    ::EnableWindow(owner, FALSE);
    disabledOwner_ = owner;
  }
  modal_ = true;
  ::ShowWindow(handle_, SW_SHOW);
  ::SetForegroundWindow(handle_);
  MSG message{};
  bool quit = false;
  while (modal_) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      break;
    }
    if (EditsTreeLabel() || !::IsDialogMessageW(handle_, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  EndModal();
  // The outer loop must see a quit that arrived during the showing.
  if (quit) ::PostQuitMessage(static_cast<int>(message.wParam));
}

void WinWindow::EndModal() {
  if (!modal_) return;
  modal_ = false;
  // The owner first, so that activation returns to it and not to another
  // program's window.
  if (disabledOwner_ != nullptr) ::EnableWindow(disabledOwner_, TRUE);
  disabledOwner_ = nullptr;
  ::ShowWindow(handle_, SW_HIDE);
  ::PostMessageW(handle_, WM_NULL, 0, 0);
}

void WinWindow::CloseDialog(const std::function<void()>& formClose) {
  if (!modal_) {
    ::PostMessageW(::GetWindow(handle_, GW_OWNER), WM_CLOSE, 0, 0);
    return;
  }
  formClose();
  EndModal();
}

// ---- boxes and dialogs -----------------------------------------------------------

void WinMessageBoxes::Show(const std::string& text, UINT icon) {
  if (stopWaiting_) {
    ::OutputDebugStringW(Wide(title_ + ": " + text + "\n").c_str());
    return;
  }
  HWND owner = ::GetActiveWindow();
  if (owner == nullptr) owner = owner_;
  ::MessageBoxW(owner, Wide(text).c_str(), Wide(title_).c_str(), MB_OK | icon);
}

void WinMessageBoxes::ShowMessage(const std::string& text) { Show(text, 0); }

bool WinMessageBoxes::AskYesNo(const std::string& text) {
  if (stopWaiting_) return false;
  HWND owner = ::GetActiveWindow();
  if (owner == nullptr) owner = owner_;
  // No is the default: Enter must not write over a whole drive by accident.
  return ::MessageBoxW(owner, Wide(text).c_str(), Wide(title_).c_str(),
                       MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES &&
         !stopWaiting_;
}

void WinMessageBoxes::ShowError(const std::string& text) { Show(text, MB_ICONSTOP); }

std::string WinSaveDialog::AskSavePath(const std::string& title, const std::string& suggestedName,
                                       const std::string& filterText) {
  // "HTML ファイル (*.html)": the pattern is what stands in the parentheses.
  std::string pattern = "*.*";
  const std::size_t open = filterText.rfind('(');
  const std::size_t close = filterText.rfind(')');
  if (open != std::string::npos && close != std::string::npos && close > open + 1) {
    pattern = filterText.substr(open + 1, close - open - 1);
  }
  std::wstring filter = Wide(filterText);
  filter.push_back(L'\0');
  filter += Wide(pattern);
  filter.push_back(L'\0');
  std::wstring file = Wide(suggestedName);
  file.resize(32768, L'\0');
  const std::wstring caption = Wide(title);
  std::wstring extension = Wide(pattern.starts_with("*.") ? pattern.substr(2) : std::string());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner_;
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = caption.c_str();
  dialog.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
  dialog.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_EXPLORER;
  if (!::GetSaveFileNameW(&dialog)) return {};
  return Utf8(file.c_str());
}

// ---- the GUI thread's queue ---------------------------------------------------------

void WinGuiThread::Post(std::function<void()> task) {
  bool wake = false;
  {
    const std::lock_guard lock(mutex_);
    wake = tasks_.empty();
    tasks_.push_back(std::move(task));
  }
  // One wake-up for a batch: the handler drains the whole queue.
  if (wake) ::PostMessageW(window_, WM_RUN_TASKS, 0, 0);
}

void WinGuiThread::RunTasks() {
  for (;;) {
    std::function<void()> task;
    {
      const std::lock_guard lock(mutex_);
      if (tasks_.empty()) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
}

void WinGuiThread::StartTicker(int milliseconds, std::function<void()> tick) {
  tick_ = std::move(tick);
  ::SetTimer(window_, TickerId, static_cast<UINT>(milliseconds), nullptr);
}

void WinGuiThread::StopTicker() {
  ::KillTimer(window_, TickerId);
  tick_ = nullptr;
}

void WinGuiThread::Tick() {
  if (tick_) tick_();
}

}  // namespace tarnwell::ui::win32
