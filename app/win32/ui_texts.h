#pragma once
// The program's fixed user-visible texts, names and identifiers, in one place.
#include <windows.h>

namespace kestrival {

inline constexpr const wchar_t* kGadgetCaption = L" - Kestrival -";
inline constexpr const wchar_t* kGadgetClass = L"KestrivalGadget";
inline constexpr const wchar_t* kProductCaption = L"Kestrival";
inline constexpr const wchar_t* kUnsupportedSystem = L"お使いのシステムではご利用いただけません。";

inline constexpr const wchar_t* kMenuSettings = L"Kestrival 設定(&S)";
inline constexpr const wchar_t* kMenuSupport = L"サポートサイト(&P)";
inline constexpr const wchar_t* kMenuQuit = L"終了(&X)";

// The maker's support page, opened in the default browser.
inline constexpr const char* kSupportPageUrl = "https://kestrival.example.com/support/";

inline constexpr UINT kCommandSettings = 101;
inline constexpr UINT kCommandSupport = 102;
inline constexpr UINT kCommandQuit = 103;

inline constexpr UINT_PTR kRepaintTimerId = 1;
// Posted by the gadget window to itself after creation.
inline constexpr UINT kRegisterSessionMessage = WM_APP + 1;

}  // namespace kestrival
