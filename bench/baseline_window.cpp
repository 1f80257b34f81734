// The baselines for the start-up and memory benchmark: a bare Win32 window program with a window,
// a one-minute timer and a message loop, painting its client area once per paint message. Started
// with a face name, it also draws one line of Japanese text in that face: the floor for a program
// that shows Japanese text at all.
#include <windows.h>

#include <string>

namespace {

std::wstring textFace;  // empty: the bare window

LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT paint{};
            HDC dc = ::BeginPaint(hwnd, &paint);
            RECT client{};
            ::GetClientRect(hwnd, &client);
            HBRUSH brush = ::CreateSolidBrush(RGB(0x99, 0x99, 0xEE));
            ::FillRect(dc, &client, brush);
            ::DeleteObject(brush);
            if (!textFace.empty()) {
                HFONT font = ::CreateFontW(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0,
                                           textFace.c_str());
                HGDIOBJ previous = ::SelectObject(dc, font);
                ::SetBkMode(dc, TRANSPARENT);
                ::TextOutW(dc, 6, 20, L"2027年まで", 7);
                ::SelectObject(dc, previous);
                ::DeleteObject(font);
            }
            ::EndPaint(hwnd, &paint);
            return 0;
        }
        case WM_TIMER:
            ::InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_CLOSE:
            ::PostQuitMessage(0);
            return 0;
        default:
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
    textFace = commandLine;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"KestrivalBaseline";
    ::RegisterClassExW(&windowClass);
    HWND hwnd = ::CreateWindowExW(WS_EX_TOOLWINDOW, L"KestrivalBaseline", L"baseline", WS_POPUP, 556, 461, 168, 102,
                                  nullptr, nullptr, instance, nullptr);
    ::SetTimer(hwnd, 1, 60000, nullptr);
    ::ShowWindow(hwnd, SW_SHOWNOACTIVATE);
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return 0;
}
