#pragma once
// Tells the gadget when a full-screen program (a game, a video, a slide show) covers its monitor
// and when that ends. Driven by the system's window events, no timer: out-of-context hooks report
// foreground changes, focus and window creation (Wine delivers only the last two out of context)
// and moves of windows, each of which has the window in front judged again by the core's rule.
// SHQueryUserNotificationState adds the full-screen Direct3D programs and presentation mode where
// the system has it (Vista on; loaded at run time).
#include <windows.h>

#include <functional>
#include <memory>

#include "support/win32/library.h"

namespace kestrival {

class FullScreenWatch {
public:
    // Watches while the object lives; `hide` is called with true when the gadget `gadget` is to
    // hide and with false when it may show again, each time the answer changes, the first time at
    // once.
    FullScreenWatch(HWND gadget, std::function<void(bool hide)> hide);
    ~FullScreenWatch();
    FullScreenWatch(const FullScreenWatch&) = delete;
    FullScreenWatch& operator=(const FullScreenWatch&) = delete;

    // Judges the window in front again.
    void Check();
    bool Hidden() const { return hidden_; }

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK hook, DWORD event, HWND window, LONG object, LONG child, DWORD thread,
                                 DWORD time);
    bool SystemBusy() const;

    HWND gadget_;
    std::function<void(bool)> hide_;
    bool hidden_ = false;
    HWINEVENTHOOK foreground_ = nullptr;
    HWINEVENTHOOK focusAndCreate_ = nullptr;
    HWINEVENTHOOK location_ = nullptr;
    std::unique_ptr<LoadedLibrary> shell_;
    using QueryFunction = HRESULT(WINAPI*)(int*);
    QueryFunction queryState_ = nullptr;
};

}  // namespace kestrival
