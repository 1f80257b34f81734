#include "app/win32/full_screen_watch.h"

#include <utility>

#include "app/presence_rules.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

// The hooks' callback has no context of its own; one gadget per process watches at a time.
FullScreenWatch* current = nullptr;

// SHQueryUserNotificationState's answers for a full-screen Direct3D program and for presentation
// mode.
constexpr int kRunningDirect3DFullScreen = 3;
constexpr int kPresentationMode = 4;

Rect RectOf(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// A maximised window reaches past the monitor with its frame, and over all of it where the taskbar
// hides itself: its client area, below the caption, is what tells it from a full-screen one.
Rect ClientBoundsOnScreen(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
    ::MapWindowPoints(window, nullptr, corners, 2);
    return {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

}  // namespace

FullScreenWatch::FullScreenWatch(HWND gadget, std::function<void(bool)> hide)
    : gadget_(gadget), hide_(std::move(hide)) {
    current = this;
    shell_ = std::make_unique<LoadedLibrary>(L"shell32.dll");
    queryState_ = shell_->Function<QueryFunction>("SHQueryUserNotificationState");
    // The gadget's own windows (its menu, its dialogs) never count; their events are skipped.
    constexpr DWORD kFlags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    foreground_ = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &OnEvent, 0, 0, kFlags);
    focusAndCreate_ = ::SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_FOCUS, nullptr, &OnEvent, 0, 0, kFlags);
    location_ =
        ::SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr, &OnEvent, 0, 0, kFlags);
    Check();
}

FullScreenWatch::~FullScreenWatch() {
    for (HWINEVENTHOOK hook : {foreground_, focusAndCreate_, location_}) {
        if (hook) ::UnhookWinEvent(hook);
    }
    if (current == this) current = nullptr;
}

void CALLBACK FullScreenWatch::OnEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (!current || !window) return;
    // Focus comes with the window's client area as its object; everything else counts only for
    // windows themselves: the caret, the cursor and controls inside windows change all the time.
    const bool windowItself = object == OBJID_WINDOW && child == CHILDID_SELF;
    if (event != EVENT_SYSTEM_FOREGROUND && event != EVENT_OBJECT_FOCUS && !windowItself) return;
    // A move matters only for the window in front.
    if (event == EVENT_OBJECT_LOCATIONCHANGE && ::GetAncestor(window, GA_ROOT) != ::GetForegroundWindow()) return;
    current->Check();
}

bool FullScreenWatch::SystemBusy() const {
    int state = 0;
    if (!queryState_ || queryState_(&state) != S_OK) return false;
    return state == kRunningDirect3DFullScreen || state == kPresentationMode;
}

void FullScreenWatch::Check() {
    const HWND front = ::GetForegroundWindow();
    FrontWindow judged;
    // Nothing in front covers nothing.
    judged.desktop = true;
    if (front) {
        const HWND root = ::GetAncestor(front, GA_ROOT);
        DWORD process = 0;
        ::GetWindowThreadProcessId(root, &process);
        // The gadget's own windows leave the answer as it was.
        if (process == ::GetCurrentProcessId()) return;
        judged.bounds = ClientBoundsOnScreen(root);
        wchar_t className[64] = {};
        ::GetClassNameW(root, className, 64);
        judged.desktop = IsShellDesktopClass(FromWide(className));
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoW(::MonitorFromWindow(gadget_, MONITOR_DEFAULTTONEAREST), &monitor);
    const bool hide = HidesUnderFullScreen(judged, RectOf(monitor.rcMonitor), !judged.desktop && SystemBusy());
    if (hide == hidden_) return;
    hidden_ = hide;
    hide_(hide);
}

}  // namespace kestrival
