#include "app/win32/notification_icon.h"

#include <algorithm>
#include <cstddef>
#include <cwchar>

#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

// The icon's number among the owner's icons: the gadget has one.
constexpr UINT kIconId = 1;
// The program's icon in the resources.
constexpr WORD kProgramIconResource = 1;
// How long Windows XP shows a balloon; later systems take the user's accessibility setting.
constexpr UINT kBalloonTimeoutMs = 10000;

// Copies a text into a fixed field, cut to fit and always terminated.
template <std::size_t N>
void CopyField(wchar_t (&field)[N], std::u16string_view text) {
    std::size_t count = std::min(text.size(), N - 1);
    // A high surrogate at the cut would be half a character.
    if (count > 0 && count < text.size() && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF) --count;
    std::copy_n(WideUnits(text), count, field);
    field[count] = L'\0';
}

}  // namespace

NotificationIcon::NotificationIcon(HWND owner, UINT callbackMessage)
    : owner_(owner), callbackMessage_(callbackMessage) {}

NotificationIcon::~NotificationIcon() { Remove(); }

bool NotificationIcon::AreaExists() { return ::FindWindowW(L"Shell_TrayWnd", nullptr) != nullptr; }

UINT NotificationIcon::TaskbarCreatedMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

NOTIFYICONDATAW NotificationIcon::Data(UINT flags) const {
    NOTIFYICONDATAW data{};
    // The size every system from XP on accepts (up to guidItem); the later fields are not used,
    // and XP's headers do not have them.
    data.cbSize = static_cast<DWORD>(offsetof(NOTIFYICONDATAW, guidItem) + sizeof(GUID));
    data.hWnd = owner_;
    data.uID = kIconId;
    data.uFlags = flags;
    return data;
}

bool NotificationIcon::Call(DWORD message, NOTIFYICONDATAW& data) {
    if (!shell_) {
        shell_ = std::make_unique<LoadedLibrary>(L"shell32.dll");
        notify_ = shell_->Function<NotifyFunction>("Shell_NotifyIconW");
    }
    return notify_ && notify_(message, &data);
}

bool NotificationIcon::Add() {
    if (added_) return true;
    if (!icon_) {
        icon_ = static_cast<HICON>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kProgramIconResource),
                                                IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    }
    NOTIFYICONDATAW data = Data(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    data.uCallbackMessage = callbackMessage_;
    data.hIcon = icon_ ? icon_ : ::LoadIconW(nullptr, IDI_APPLICATION);
    CopyField(data.szTip, FromWide(tip_));
    // An icon of this number the shell still holds (a TaskbarCreated sent while the taskbar
    // kept its icons) refuses a second add; it takes the same data as a change.
    added_ = Call(NIM_ADD, data) || Call(NIM_MODIFY, data);
    return added_;
}

void NotificationIcon::Remove() {
    if (!added_) return;
    NOTIFYICONDATAW data = Data(0);
    Call(NIM_DELETE, data);
    added_ = false;
}

bool NotificationIcon::SetShown(bool shown) {
    wanted_ = shown;
    if (shown) return Add();
    if (!balloon_) Remove();
    return true;
}

void NotificationIcon::SetTip(std::u16string_view tip) {
    const std::wstring wide = Wide(tip);
    if (wide == tip_) return;
    tip_ = wide;
    if (!added_) return;
    NOTIFYICONDATAW data = Data(NIF_TIP);
    CopyField(data.szTip, tip);
    Call(NIM_MODIFY, data);
}

bool NotificationIcon::ShowBalloon(std::u16string_view title, std::u16string_view text) {
    if (!Add()) return false;
    NOTIFYICONDATAW data = Data(NIF_INFO);
    CopyField(data.szInfoTitle, title);
    // An empty text would take a balloon away rather than show one.
    CopyField(data.szInfo, text.empty() ? std::u16string_view(u" ") : text);
    data.uTimeout = kBalloonTimeoutMs;
    data.dwInfoFlags = NIIF_INFO | NIIF_NOSOUND;
    balloon_ = Call(NIM_MODIFY, data);
    if (!balloon_ && !wanted_) Remove();
    return balloon_;
}

void NotificationIcon::Restore() {
    // The new taskbar holds no icons: whatever this one believed is gone.
    added_ = false;
    balloon_ = false;
    if (wanted_) Add();
}

void NotificationIcon::BalloonEnded() {
    balloon_ = false;
    if (!wanted_) Remove();
}

NotificationIcon::Event NotificationIcon::OnCallback(LPARAM lParam) {
    // Without NIM_SETVERSION the shell passes the mouse or balloon message itself, on every system.
    switch (static_cast<UINT>(lParam)) {
        case WM_LBUTTONUP:
            return Event::kActivate;
        case WM_RBUTTONUP:
            return Event::kMenu;
        case NIN_BALLOONUSERCLICK:
            BalloonEnded();
            return Event::kBalloonClicked;
        case NIN_BALLOONTIMEOUT:
        case NIN_BALLOONHIDE:
            BalloonEnded();
            return Event::kBalloonGone;
        default:
            return Event::kNone;
    }
}

}  // namespace kestrival
