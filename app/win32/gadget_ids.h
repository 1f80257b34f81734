#pragma once
// The gadget window's class, menu commands and timer; its texts are in
// support/ui_texts.h.
#include <windows.h>

namespace kestrival {

inline constexpr const wchar_t* kGadgetClass = L"KestrivalGadget";

inline constexpr UINT kCommandSettings = 101;
inline constexpr UINT kCommandSupport = 102;
inline constexpr UINT kCommandQuit = 103;
// The three stackings, in the order of their ZO values.
inline constexpr UINT kCommandStackOrdinary = 110;
inline constexpr UINT kCommandStackOnTop = 111;
inline constexpr UINT kCommandStackOnDesktop = 112;
inline constexpr UINT kCommandLockPosition = 120;
inline constexpr UINT kCommandStartWithWindows = 121;
inline constexpr UINT kCommandNotificationIcon = 122;

// The notification-area icon's clicks and balloon events.
inline constexpr UINT kNotificationIconMessage = WM_APP + 1;
// The menu asked for from the icon, opened once the shell's call that told of the click is over:
// a menu opened inside that call loses its keyboard.
inline constexpr UINT kOpenMenuMessage = WM_APP + 2;
// Posted when the window is made: the reminders due at start come once the window is up.
inline constexpr UINT kShowRemindersMessage = WM_APP + 3;

inline constexpr UINT_PTR kRepaintTimerId = 1;
// Posted by the first paint: the work a start leaves until the gadget is on the screen.
inline constexpr UINT kAfterFirstFrameMessage = WM_APP + 4;
// WM_DPICHANGED, which the headers declare only for Windows 7 and later builds.
inline constexpr UINT kDpiChangedMessage = 0x02E0;

}  // namespace kestrival
