#pragma once
// The gadget's icon in the notification area: shown while the user keeps it on, or for as long as
// a balloon needs it; its tip names the gadget; it comes back when the taskbar is re-created (the
// shell forgets every icon then). Clicks and balloon events reach the owner window as
// `callbackMessage`, which the owner passes to OnCallback. shell32 is loaded with the first icon,
// so a gadget without one never loads it.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <memory>
#include <string>
#include <string_view>

#include "support/win32/library.h"

namespace kestrival {

class NotificationIcon {
public:
    // What a callback message asks of the owner.
    enum class Event {
        kNone,
        kActivate,        // a left click: the gadget comes forward
        kMenu,            // a right click: the gadget's menu opens at the pointer
        kBalloonClicked,  // the user clicked the balloon: the gadget comes forward
        kBalloonGone,     // the balloon timed out or was closed
    };

    NotificationIcon(HWND owner, UINT callbackMessage);
    ~NotificationIcon();
    NotificationIcon(const NotificationIcon&) = delete;
    NotificationIcon& operator=(const NotificationIcon&) = delete;

    // Whether the desktop has a notification area (the taskbar's window) to put an icon in.
    static bool AreaExists();
    // The message the shell broadcasts when it re-creates the taskbar.
    static UINT TaskbarCreatedMessage();

    // The user's choice: shown or not. A balloon on show keeps the icon until the balloon goes.
    // False when the shell refused the icon.
    bool SetShown(bool shown);
    // Whether the icon is in the notification area now, for the user or for a balloon.
    bool Present() const { return added_; }
    void SetTip(std::u16string_view tip);
    // A balloon without a sound, shown from the icon; the icon is added for it when the user keeps
    // it off, and removed again when the balloon times out or is clicked. False when it could not
    // be shown.
    bool ShowBalloon(std::u16string_view title, std::u16string_view text);
    // The taskbar was re-created: the icon is added again when it should be there.
    void Restore();
    // A callback message's lParam, turned into what the owner does.
    Event OnCallback(LPARAM lParam);

private:
    NOTIFYICONDATAW Data(UINT flags) const;
    bool Call(DWORD message, NOTIFYICONDATAW& data);
    bool Add();
    void Remove();
    void BalloonEnded();

    HWND owner_;
    UINT callbackMessage_;
    std::unique_ptr<LoadedLibrary> shell_;
    using NotifyFunction = BOOL(WINAPI*)(DWORD, PNOTIFYICONDATAW);
    NotifyFunction notify_ = nullptr;
    HICON icon_ = nullptr;
    std::wstring tip_;
    bool wanted_ = false;
    bool balloon_ = false;
    bool added_ = false;
};

}  // namespace kestrival
