#include "app/win32/desktop_stacking.h"

#include <utility>

#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

// The hooks' callback has no context of its own; one gadget per process watches at a time.
DesktopWatch* current = nullptr;

}  // namespace

DesktopWatch::DesktopWatch(std::function<void(StackingMove)> move) : move_(std::move(move)) {
    current = this;
    // The gadget's own windows (its menu, its dialogs) never move it: their events are skipped.
    constexpr DWORD kFlags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    foreground_ = ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, &DesktopWatch::OnEvent,
                                    0, 0, kFlags);
    focus_ = ::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, &DesktopWatch::OnEvent, 0, 0, kFlags);
}

DesktopWatch::~DesktopWatch() {
    if (foreground_) ::UnhookWinEvent(foreground_);
    if (focus_) ::UnhookWinEvent(focus_);
    if (current == this) current = nullptr;
}

void CALLBACK DesktopWatch::OnEvent(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD) {
    if (!current || !window) return;
    const HWND root = ::GetAncestor(window, GA_ROOT);
    wchar_t className[64] = {};
    if (!root || !::GetClassNameW(root, className, 64)) return;
    DWORD process = 0;
    ::GetWindowThreadProcessId(root, &process);
    const StackingMove move =
        OnForegroundChanged(Stacking::kOnDesktop, FromWide(className), process == ::GetCurrentProcessId());
    if (move != StackingMove::kNone) current->move_(move);
}

}  // namespace kestrival
