// A small command-line probe for the shell-driven end-to-end tests (real mouse and keyboard
// through xdotool, a faked clock through faketime): it reports on the gadget's windows and
// sends it messages.
//   probe wait                 waits for the gadget window; prints "left top right bottom"
//   probe rect                 prints the gadget's rectangle
//   probe hash X Y W H         hash of the screen pixels of a rectangle relative to the gadget
//   probe timechange           sends WM_TIMECHANGE to the gadget
//   probe balloon-click        tells the gadget, as the shell would, that its balloon was clicked
//   probe close                asks the gadget to quit and waits until its window is gone
//   probe fullscreen MS1 MS2   a window over the whole primary display comes forward: "full";
//                              after MS1 ms a small window comes forward: "another"; MS2 ms later
//                              both close
//   probe foreground           prints the foreground window's class and rectangle
//   probe shown                prints whether the gadget window is visible (1) or hidden (0)
//   probe menu                 prints the rectangle of a visible popup menu, or fails
//   probe tray                 prints the rectangle of the notification area's window, or fails
//   probe window X Y W H MS    shows a window at that rectangle, prints "ready", then "clicked" at
//                              the first left click it gets within MS milliseconds (else fails)
//   probe settings-path        prints the default settings file's Windows path
//   probe short-path PATH      prints the 8.3 spelling of an existing path
//   probe count                prints how many gadget windows exist, shown or hidden
//   probe hide                 hides the gadget window
//   probe screen               prints the primary display's width and height
//   probe displaymode W H      changes the display (a Wine virtual desktop) to W x H
//   probe drag X Y DX DY N     presses the left button at (X, Y) relative to the gadget, moves
//                              by (DX, DY) N times through the system's input queue, releases
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "app/win32/gadget_ids.h"
#include "tests/common/win32/wine_helpers.h"

using namespace kestrival::e2e;

namespace {

HWND WaitGadget(DWORD timeoutMs) {
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (HWND gadget = FindGadgetWindow()) return gadget;
        ::Sleep(50);
    }
    return nullptr;
}

int PrintRect(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
}

HWND FindMenuWindow() {
    for (HWND w = ::FindWindowExW(nullptr, nullptr, L"#32768", nullptr); w;
         w = ::FindWindowExW(nullptr, w, L"#32768", nullptr)) {
        if (::IsWindowVisible(w)) return w;
    }
    return nullptr;
}

}  // namespace

int RunCommand(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    const std::wstring command = argv[1];
    if (command == L"settings-path") {
        std::printf("%ls\n", DefaultSettingsPath().c_str());
        return 0;
    }
    if (command == L"displaymode" && argc == 4) {  // changes the (virtual desktop's) display size
        DEVMODEW mode{};
        mode.dmSize = sizeof mode;
        mode.dmPelsWidth = static_cast<DWORD>(_wtoi(argv[2]));
        mode.dmPelsHeight = static_cast<DWORD>(_wtoi(argv[3]));
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        const LONG result = ::ChangeDisplaySettingsExW(nullptr, &mode, nullptr, 0, nullptr);
        std::printf("%ld\n", result);
        return result == DISP_CHANGE_SUCCESSFUL ? 0 : 1;
    }
    if (command == L"short-path" && argc == 3) {
        wchar_t shortPath[MAX_PATH] = {};
        if (!::GetShortPathNameW(argv[2], shortPath, MAX_PATH)) return 1;
        std::printf("%ls\n", shortPath);
        return 0;
    }
    if (command == L"count") {
        int count = 0;
        for (HWND w = ::FindWindowExW(nullptr, nullptr, L"KestrivalGadget", nullptr); w;
             w = ::FindWindowExW(nullptr, w, L"KestrivalGadget", nullptr)) {
            ++count;
        }
        std::printf("%d\n", count);
        return 0;
    }
    if (command == L"screen") {
        std::printf("%d %d\n", ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
        return 0;
    }
    if (command == L"tray") {
        HWND tray = ::FindWindowW(L"Shell_TrayWnd", nullptr);
        return tray ? PrintRect(tray) : 1;
    }
    if (command == L"window" && argc == 7) {
        const HWND window = ::CreateWindowExW(
            WS_EX_TOOLWINDOW, L"STATIC", L"beneath", WS_POPUP | SS_NOTIFY | WS_VISIBLE, _wtoi(argv[2]), _wtoi(argv[3]),
            _wtoi(argv[4]), _wtoi(argv[5]), nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (!window) return 1;
        std::printf("ready\n");
        std::fflush(stdout);
        const DWORD end = ::GetTickCount() + static_cast<DWORD>(_wtoi(argv[6]));
        MSG message{};
        while (::GetTickCount() < end) {
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_LBUTTONDOWN && message.hwnd == window) {
                    std::printf("clicked\n");
                    return 0;
                }
                ::DispatchMessageW(&message);
            }
            ::Sleep(20);
        }
        return 1;
    }
    if (command == L"fullscreen" && argc == 4) {
        const HWND window = ::CreateWindowExW(0, L"STATIC", L"full screen", WS_POPUP | WS_VISIBLE, 0, 0,
                                              ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN), nullptr,
                                              nullptr, ::GetModuleHandleW(nullptr), nullptr);
        if (!window) return 1;
        ::SetForegroundWindow(window);
        ::SetFocus(window);
        auto pumpFor = [](DWORD ms) {
            const DWORD end = ::GetTickCount() + ms;
            MSG message{};
            while (::GetTickCount() < end) {
                while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&message);
                ::Sleep(20);
            }
        };
        std::printf("full\n");
        std::fflush(stdout);
        pumpFor(static_cast<DWORD>(_wtoi(argv[2])));
        const HWND another = ::CreateWindowExW(0, L"STATIC", L"another", WS_POPUP | WS_VISIBLE, 50, 50, 200, 150,
                                               nullptr, nullptr, ::GetModuleHandleW(nullptr), nullptr);
        ::SetForegroundWindow(another);
        ::SetFocus(another);
        std::printf("another\n");
        std::fflush(stdout);
        pumpFor(static_cast<DWORD>(_wtoi(argv[3])));
        ::DestroyWindow(another);
        ::DestroyWindow(window);
        return 0;
    }
    if (command == L"foreground") {
        wchar_t className[64] = {};
        const HWND front = ::GetForegroundWindow();
        if (front) ::GetClassNameW(front, className, 64);
        RECT r{};
        if (front) ::GetWindowRect(front, &r);
        std::printf("%ls %ld %ld %ld %ld\n", className, r.left, r.top, r.right, r.bottom);
        return 0;
    }
    if (command == L"shown") {
        for (HWND w = ::FindWindowExW(nullptr, nullptr, L"KestrivalGadget", nullptr); w;
             w = ::FindWindowExW(nullptr, w, L"KestrivalGadget", nullptr)) {
            std::printf("%d\n", ::IsWindowVisible(w) ? 1 : 0);
            return 0;
        }
        return 1;
    }
    if (command == L"menu") {
        HWND menu = FindMenuWindow();
        return menu ? PrintRect(menu) : 1;
    }
    HWND gadget = command == L"wait" ? WaitGadget(20000) : FindGadgetWindow();
    if (!gadget) {
        std::fprintf(stderr, "no gadget window\n");
        return 1;
    }
    if (command == L"wait" || command == L"rect") return PrintRect(gadget);
    if (command == L"hide") {
        ::ShowWindow(gadget, SW_HIDE);
        return ::IsWindowVisible(gadget) ? 1 : 0;
    }
    if (command == L"timechange") {
        ::SendMessageW(gadget, WM_TIMECHANGE, 0, 0);
        return 0;
    }
    if (command == L"balloon-click") {
        ::SendMessageW(gadget, kestrival::kNotificationIconMessage, 0, NIN_BALLOONUSERCLICK);
        return 0;
    }
    if (command == L"close") {
        ::PostMessageW(gadget, WM_CLOSE, 0, 0);
        for (int i = 0; i < 200 && ::IsWindow(gadget); ++i) ::Sleep(50);
        return ::IsWindow(gadget) ? 1 : 0;
    }
    if (command == L"drag" && argc == 7) {
        RECT r{};
        ::GetWindowRect(gadget, &r);
        int x = r.left + _wtoi(argv[2]), y = r.top + _wtoi(argv[3]);
        const int dx = _wtoi(argv[4]), dy = _wtoi(argv[5]), steps = _wtoi(argv[6]);
        auto send = [](DWORD flags) {
            INPUT input{};
            input.type = INPUT_MOUSE;
            input.mi.dwFlags = flags;
            ::SendInput(1, &input, sizeof input);
        };
        ::SetCursorPos(x, y);
        ::Sleep(200);
        send(MOUSEEVENTF_LEFTDOWN);
        ::Sleep(300);
        for (int i = 0; i < steps; ++i) {
            x += dx;
            y += dy;
            ::SetCursorPos(x, y);
            send(MOUSEEVENTF_MOVE);
            ::Sleep(30);
        }
        ::Sleep(200);
        send(MOUSEEVENTF_LEFTUP);
        ::Sleep(300);
        return PrintRect(gadget);
    }
    if (command == L"hash" && argc == 6) {
        RECT r{};
        ::GetWindowRect(gadget, &r);
        const int x = _wtoi(argv[2]), y = _wtoi(argv[3]), w = _wtoi(argv[4]), h = _wtoi(argv[5]);
        const RECT area{r.left + x, r.top + y, r.left + x + w, r.top + y + h};
        std::printf("%016llx\n", static_cast<unsigned long long>(ScreenHash(area)));
        return 0;
    }
    return 2;
}

// A probe started inside a Wine virtual desktop (`explorer /desktop=...`) runs detached from the
// shell that started it: with KESTRIVAL_PROBE_DONE naming a file, it creates that file once it has
// printed everything, so the shell knows when to read its output.
int wmain(int argc, wchar_t** argv) {
    const int result = RunCommand(argc, argv);
    std::fflush(stdout);
    if (const wchar_t* done = _wgetenv(L"KESTRIVAL_PROBE_DONE")) {
        if (FILE* marker = _wfopen(done, L"w")) {
            std::fprintf(marker, "%d\n", result);
            std::fclose(marker);
        }
    }
    return result;
}
