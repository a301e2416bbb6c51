// The window procedure of the binding's own window classes: it hands every
// message to the C++ object that created the window (passed as the creation
// parameter), from WM_NCCREATE until the window is gone.
#pragma once

#include <windows.h>

namespace tarnwell::ui::win32 {

// `Owner` has a `HWND window_` and `LRESULT Handle(UINT, WPARAM, LPARAM)`,
// and names this function its friend.
template <class Owner>
LRESULT CALLBACK ForwardToOwner(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    auto* owner = static_cast<Owner*>(create->lpCreateParams);
    owner->window_ = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owner));
  }
  auto* owner = reinterpret_cast<Owner*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (owner == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
  return owner->Handle(message, wParam, lParam);
}

}  // namespace tarnwell::ui::win32
