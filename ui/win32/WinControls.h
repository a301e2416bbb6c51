// The control interfaces on native Windows controls: each adapter wraps one
// window handle (or a menu item) that a window of the binding owns, and
// converts texts between UTF-8 and UTF-16 at the call. Also the GUI thread's
// queue on the window's message queue, the message boxes, the save dialog
// and top-level windows with their modal showing.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "ui/Controls.h"

namespace tarnwell::ui::win32 {

std::wstring Wide(std::string_view utf8);
std::string Utf8(std::wstring_view wide);
// A window's text as UTF-8.
std::string WindowText(HWND window);
// The size `text` takes in `font`.
SIZE TextExtent(HFONT font, std::wstring_view text);

// Private messages of the binding's windows.
inline constexpr UINT WM_RUN_TASKS = WM_APP + 1;
inline constexpr UINT WM_CLOSE_UP = WM_APP + 2;

template <class Interface>
class WinControl : public Interface {
public:
  explicit WinControl(HWND handle = nullptr) : handle_(handle) {}
  bool Enabled() const override { return ::IsWindowEnabled(handle_) != FALSE; }
  void SetEnabled(bool enabled) override { ::EnableWindow(handle_, enabled ? TRUE : FALSE); }
  HWND Handle() const { return handle_; }
  void Attach(HWND handle) { handle_ = handle; }

protected:
  HWND handle_;
};

class WinDropDownList : public WinControl<DropDownList> {
public:
  using WinControl::WinControl;
  int ItemIndex() const override;
  void SetItemIndex(int index) override;
  int Count() const override;
  std::string Item(int index) const override;
};

class WinCheckBox : public WinControl<CheckBox> {
public:
  using WinControl::WinControl;
  bool Checked() const override;
  void SetChecked(bool checked) override;
};

class WinEdit : public WinControl<Edit> {
public:
  using WinControl::WinControl;
  std::string Text() const override { return WindowText(handle_); }
  void SetText(const std::string& text) override;
};

class WinButton : public WinControl<Button> {
public:
  using WinControl::WinControl;
  std::string Caption() const override { return WindowText(handle_); }
  void SetCaption(const std::string& caption) override;
};

// A static text; when `fitText` is set it takes the width its text needs.
class WinLabel : public Label {
public:
  explicit WinLabel(HWND handle = nullptr, bool fitText = false)
      : handle_(handle), fitText_(fitText) {}
  std::string Caption() const override { return WindowText(handle_); }
  void SetCaption(const std::string& caption) override;
  void Attach(HWND handle, bool fitText) {
    handle_ = handle;
    fitText_ = fitText;
  }

private:
  HWND handle_;
  bool fitText_;
};

class WinMemo : public Memo {
public:
  explicit WinMemo(HWND handle = nullptr) : handle_(handle) {}
  std::string Text() const override { return WindowText(handle_); }
  void SetText(const std::string& text) override;
  void Attach(HWND handle) { handle_ = handle; }

private:
  HWND handle_;
};

// A menu item known by its command identifier.
class WinMenuItem : public MenuItem {
public:
  WinMenuItem() = default;
  WinMenuItem(HMENU menu, UINT command) : menu_(menu), command_(command) {}
  bool Enabled() const override;
  void SetEnabled(bool enabled) override;

private:
  HMENU menu_ = nullptr;
  UINT command_ = 0;
};

// A menu item with a check mark, known by its command identifier.
class WinCheckMenuItem : public CheckMenuItem {
public:
  WinCheckMenuItem() = default;
  WinCheckMenuItem(HMENU menu, UINT command)
      : item_(menu, command), menu_(menu), command_(command) {}
  bool Enabled() const override { return item_.Enabled(); }
  void SetEnabled(bool enabled) override { item_.SetEnabled(enabled); }
  bool Checked() const override;
  void SetChecked(bool checked) override;

private:
  WinMenuItem item_;
  HMENU menu_ = nullptr;
  UINT command_ = 0;
};

// A captioned group box with radio buttons made afresh whenever the items
// change; the buttons are the box's siblings so that the dialog's keyboard
// handling reaches them.
class WinRadioGroup : public WinControl<RadioGroup> {
public:
  WinRadioGroup(HWND box, HFONT font, int firstId)
      : WinControl(box), font_(font), firstId_(firstId) {}
  void SetCaption(const std::string& caption) override;
  void SetItems(const std::vector<std::string>& items) override;
  int ItemIndex() const override;
  void SetItemIndex(int index) override;
  void SetEnabled(bool enabled) override;
  const std::vector<HWND>& Buttons() const { return buttons_; }

private:
  HFONT font_;
  int firstId_;
  std::vector<HWND> buttons_;
};

// A top-level window. Closing runs the window's own WM_CLOSE handling; a
// modal showing disables the owner and runs a nested message loop until the
// window hides itself through EndModal.
class WinWindow : public Window {
public:
  explicit WinWindow(HWND handle = nullptr) : handle_(handle) {}
  void SetCaption(const std::string& caption) override;
  Bounds GetBounds() const override;
  void SetLeft(int left) override;
  void SetTop(int top) override;
  void SetWidth(int width) override;
  void SetHeight(int height) override;
  void Close() override;
  void ShowModal() override;
  // Ends a modal showing: the owner is enabled again, then the window hides.
  void EndModal();
  // A dialog's answer to WM_CLOSE. While shown: `formClose`, then the end of
  // the showing. While hidden the request goes on to the owner: whoever
  // sent it (taskkill, a shutdown tool walking the program's windows) means
  // the program.
  void CloseDialog(const std::function<void()>& formClose);
  bool Modal() const { return modal_; }
  HWND Handle() const { return handle_; }
  void Attach(HWND handle) { handle_ = handle; }

private:
  void Move(int left, int top, int width, int height);
  HWND handle_;
  bool modal_ = false;
  HWND disabledOwner_ = nullptr;  // the owner this showing disabled
};

// The plain box and the error box, captioned with the application title and
// owned by the active window of the program, so that it takes no input
// while a box is up.
class WinMessageBoxes : public MessageBoxes {
public:
  explicit WinMessageBoxes(std::string title) : title_(std::move(title)) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  bool AskYesNo(const std::string& text) override;
  // Later texts go to the debugger's output instead of a box. A box already
  // open goes with the window that owns it, or with the session.
  void StopWaiting() override { stopWaiting_ = true; }

private:
  void Show(const std::string& text, UINT icon);
  std::string title_;
  HWND owner_ = nullptr;
  bool stopWaiting_ = false;
};

class WinSaveDialog : public SaveDialog {
public:
  explicit WinSaveDialog(HWND owner = nullptr) : owner_(owner) {}
  void SetOwner(HWND owner) { owner_ = owner; }
  std::string AskSavePath(const std::string& title, const std::string& suggestedName,
                          const std::string& filterText) override;

private:
  HWND owner_;
};

// Tasks from any thread, run on the GUI thread by the window's handling of
// WM_RUN_TASKS. Tasks still queued when the object goes are dropped.
class WinGuiThread : public GuiThread {
public:
  explicit WinGuiThread(HWND window = nullptr) : window_(window) {}
  void Attach(HWND window) { window_ = window; }
  void Post(std::function<void()> task) override;
  void StartTicker(int milliseconds, std::function<void()> tick) override;
  void StopTicker() override;
  // The window's handling of WM_RUN_TASKS and of the ticker's WM_TIMER.
  void RunTasks();
  void Tick();
  static constexpr UINT_PTR TickerId = 1;

private:
  HWND window_;
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  std::function<void()> tick_;
};

}  // namespace tarnwell::ui::win32
