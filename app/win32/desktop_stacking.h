#pragma once
// Keeps a gadget "on the desktop" in sight when the user shows the desktop. Windows gives one
// signal for that: the shell's desktop window comes to the foreground. Out-of-context window
// events report foreground and focus changes (Wine reports only the focus); each is judged by
// the core's stacking rule. No timer: nothing runs while nothing changes.
#include <windows.h>

#include <functional>

#include "app/desktop_rules.h"

namespace kestrival {

class DesktopWatch {
public:
    // Watches while the object lives; `move` is called with each decision other than kNone.
    explicit DesktopWatch(std::function<void(StackingMove)> move);
    ~DesktopWatch();
    DesktopWatch(const DesktopWatch&) = delete;
    DesktopWatch& operator=(const DesktopWatch&) = delete;

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                 DWORD time);
    std::function<void(StackingMove)> move_;
    HWINEVENTHOOK foreground_ = nullptr;
    HWINEVENTHOOK focus_ = nullptr;
};

}  // namespace kestrival
