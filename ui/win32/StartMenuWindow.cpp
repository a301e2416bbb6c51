// The Start-menu dialog on native Windows controls.
#include "ui/win32/StartMenuWindow.h"

#include <commctrl.h>

#include <cmath>

#include "ui/HandlerGuard.h"
#include "ui/win32/WinFonts.h"
#include "ui/win32/WinPanel.h"
#include "ui/win32/WindowProcedure.h"

namespace tarnwell::ui::win32 {
namespace {

constexpr const wchar_t* StartMenuClass = L"TarnwellStartMenu";
constexpr int GroupId = 300;
constexpr int FirstItemId = 310;

using Design = FormStartMenuDesign;

}  // namespace

StartMenuWindow::StartMenuWindow(HWND owner, AppServices& services, MessageBoxes& boxes, HFONT font)
    : boxes_(boxes) {
  const double scale = LayoutScale(font);
  auto scaled = [scale](int value) { return static_cast<int>(std::lround(value * scale)); };
  RegisterWindowClass(StartMenuClass, ForwardToOwner<StartMenuWindow>);
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  // A fixed dialog frame with a caption and no border icons.
  window_ = ::CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, StartMenuClass, L"",
                              WS_POPUP | WS_CAPTION | WS_DLGFRAME, Design::Left, Design::Top,
                              scaled(Design::Width), scaled(Design::Height), owner, nullptr,
                              instance, this);
  ::SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  groupFont_ = CreateGroupFont();
  HWND group = ::CreateWindowExW(0, WC_BUTTONW, L"", WS_CHILD | WS_VISIBLE | BS_GROUPBOX,
                                 scaled(Design::GroupLeft), scaled(Design::GroupTop),
                                 scaled(Design::GroupWidth), scaled(Design::GroupHeight), window_,
                                 reinterpret_cast<HMENU>(GroupId), instance, nullptr);
  ::SendMessageW(group, WM_SETFONT, reinterpret_cast<WPARAM>(groupFont_), FALSE);
  group_ = std::make_unique<WinRadioGroup>(group, groupFont_, FirstItemId);
  HWND ok = ::CreateWindowExW(
      0, WC_BUTTONW, L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_DEFPUSHBUTTON,
      scaled(Design::OkLeft), scaled(Design::ButtonTop), scaled(Design::ButtonWidth),
      scaled(Design::ButtonHeight), window_, reinterpret_cast<HMENU>(IDOK), instance, nullptr);
  HWND cancel = ::CreateWindowExW(
      0, WC_BUTTONW, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
      scaled(Design::CancelLeft), scaled(Design::ButtonTop), scaled(Design::ButtonWidth),
      scaled(Design::ButtonHeight), window_, reinterpret_cast<HMENU>(IDCANCEL), instance, nullptr);
  ::SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ::SendMessageW(cancel, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  ok_.Attach(ok);
  cancel_.Attach(cancel);
  windowAdapter_.Attach(window_);
  form_ = std::make_unique<TFormStartMenu>(TFormStartMenuControls{.Form = windowAdapter_,
                                                                  .RadioGroupMain = *group_,
                                                                  .ButtonOK = ok_,
                                                                  .ButtonCancel = cancel_,
                                                                  .Boxes = boxes},
                                           services);
}

StartMenuWindow::~StartMenuWindow() {
  form_.reset();
  if (window_ != nullptr && ::IsWindow(window_)) ::DestroyWindow(window_);
  ::DeleteObject(groupFont_);
}

void StartMenuWindow::Create() {
  RunHandler(boxes_, [this] { form_->FormCreate(); });
}

LRESULT StartMenuWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (!form_) return 0;
      if (LOWORD(wParam) == IDOK) {
        RunHandler(boxes_, [this] { form_->ButtonOKClick(); });
      } else if (LOWORD(wParam) == IDCANCEL) {
        RunHandler(boxes_, [this] { form_->ButtonCancelClick(); });
      }
      return 0;
    case WM_SHOWWINDOW:
      // The chosen item takes the focus, as in any radio group.
      if (wParam && group_) {
        const int index = group_->ItemIndex();
        const auto& buttons = group_->Buttons();
        if (!buttons.empty()) {
          ::SetFocus(buttons[index >= 0 ? static_cast<std::size_t>(index) : 0]);
        }
      }
      break;
    case WM_CLOSE:
      // However it closes (Alt+F4 too), the form learns of it and the
      // modal showing ends.
      windowAdapter_.CloseDialog([this] {
        if (form_) RunHandler(boxes_, [this] { form_->FormClose(); });
      });
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace tarnwell::ui::win32
