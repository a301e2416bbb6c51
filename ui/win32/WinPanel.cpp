// The panel window class and top-level class registration.
#include "ui/win32/WinPanel.h"

namespace tarnwell::ui::win32 {
namespace {

constexpr const wchar_t* PanelClass = L"TarnwellPanel";

LRESULT CALLBACK PanelProcedure(HWND panel, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
      return ::SendMessageW(::GetParent(panel), message, wParam, lParam);
    case WM_PAINT: {
      PAINTSTRUCT paint{};
      HDC dc = ::BeginPaint(panel, &paint);
      RECT rect{};
      ::GetClientRect(panel, &rect);
      ::DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
      ::EndPaint(panel, &paint);
      return 0;
    }
    default:
      return ::DefWindowProcW(panel, message, wParam, lParam);
  }
}

}  // namespace

const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (::GetClassInfoExW(::GetModuleHandleW(nullptr), name, &existing)) return name;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof windowClass;
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = ::GetModuleHandleW(nullptr);
  windowClass.hIcon = ::LoadIconW(windowClass.hInstance, L"MAINICON");
  if (windowClass.hIcon == nullptr) windowClass.hIcon = ::LoadIconW(nullptr, IDI_APPLICATION);
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = name;
  ::RegisterClassExW(&windowClass);
  return name;
}

HWND CreatePanel(HWND parent, int id) {
  RegisterWindowClass(PanelClass, PanelProcedure);
  // A control parent: the dialog keyboard handling tabs into its controls.
  return ::CreateWindowExW(WS_EX_CONTROLPARENT, PanelClass, L"",
                           WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace tarnwell::ui::win32
