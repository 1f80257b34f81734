#pragma once
// Binds a window object to its HWND for the program's window classes: the static window procedure
// stores the object on WM_NCCREATE (the first message that carries the creation parameter), hands
// every message after that to the object's HandleMessage, and forgets the object after
// WM_NCDESTROY, the last message, so that nothing reaches an object that may be gone. The class
// befriends this function and keeps its HWND in `hwnd_`.
#include <windows.h>

namespace kestrival {

template <typename Window>
LRESULT CALLBACK RoutedWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!window) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    const LRESULT result = window->HandleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return result;
}

}  // namespace kestrival
