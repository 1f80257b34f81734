#include "support/win32/dpi.h"

namespace kestrival {
namespace {

template <typename FunctionPointer>
FunctionPointer User32Function(const char* name) {
    // user32 is loaded for the life of every windowed process.
    const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(::GetProcAddress(user32, name)))
                  : nullptr;
}

}  // namespace

std::int32_t SystemDpi() {
    // Where Windows can say it without a DC, it does: fetching the screen's DC costs a round of
    // the window system, many of them in a start.
    using GetDpiForSystemFunction = UINT(WINAPI*)();
    static const auto getDpiForSystem = User32Function<GetDpiForSystemFunction>("GetDpiForSystem");
    if (getDpiForSystem) {
        if (const UINT dpi = getDpiForSystem()) return static_cast<std::int32_t>(dpi);
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

std::int32_t WindowDpi(HWND window) {
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = User32Function<GetDpiForWindowFunction>("GetDpiForWindow");
    const UINT dpi = getDpiForWindow && window ? getDpiForWindow(window) : 0;
    return dpi > 0 ? static_cast<std::int32_t>(dpi) : SystemDpi();
}

void AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, std::int32_t dpi) {
    using AdjustFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi = User32Function<AdjustFunction>("AdjustWindowRectExForDpi");
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
        ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
}

}  // namespace kestrival
