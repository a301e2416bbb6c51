// The program's entry on Windows: joins the GUI thread to a single-threaded
// COM apartment with OLE (the shell's folder and link objects need it),
// registers the common controls, creates the three windows in order and
// runs the message loop until the main window has closed.
// clang-format off: windows.h comes before the headers that build on it.
#include <windows.h>
// clang-format on
#include <commctrl.h>
#include <ole2.h>

#include <string>

#include "platform/PathNames.h"
#include "platform/Paths.h"
#include "ui/AppServices.h"
#include "ui/ApplicationTitle.h"
#include "ui/win32/ProgramWindows.h"
#include "ui/win32/WinControls.h"

namespace {

// The regional decimal separator when it is a single ASCII character.
char RegionalDecimalSeparator() {
  wchar_t text[8] = {};
  if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) == 2 && text[0] < 0x80) {
    return static_cast<char>(text[0]);
  }
  return '.';
}

// Keeps OLE initialised for as long as the windows live.
class OleSession {
public:
  OleSession() : ok_(SUCCEEDED(::OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) ::OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

private:
  bool ok_;
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  const OleSession ole;
  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES;
  ::InitCommonControlsEx(&controls);

  namespace ui = tarnwell::ui;
  const std::string title =
      ui::ApplicationTitle(tarnwell::platform::FileNameOf(tarnwell::platform::ExecutablePath()));
  ui::SystemServices services(RegionalDecimalSeparator());
  ui::win32::WinMessageBoxes boxes(title);
  int result = 0;
  {
    ui::win32::ProgramWindows windows(services, boxes);
    HWND main = windows.Main().Handle();
    boxes.SetOwner(main);
    // A shortcut set to "maximised" or "minimised" starts the window so; any
    // other state shows it normally.
    int show = SW_SHOWNORMAL;
    if (showCommand == SW_SHOWMAXIMIZED) show = SW_SHOWMAXIMIZED;
    if (showCommand == SW_SHOWMINNOACTIVE || showCommand == SW_SHOWMINIMIZED ||
        showCommand == SW_MINIMIZE) {
      show = SW_SHOWMINNOACTIVE;
    }
    ::ShowWindow(main, show);
    ::UpdateWindow(main);
    MSG message{};
    BOOL got;
    while ((got = ::GetMessageW(&message, nullptr, 0, 0)) > 0) {
      if (::IsWindow(main) && ::IsDialogMessageW(main, &message)) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    result = got == 0 ? static_cast<int>(message.wParam) : 1;
  }
  return result;
}
