#include "settings/dialog/win32/swatch_accessible.h"

#include "settings/dialog/setup_form_table.h"
#include "support/win32/window_accessible.h"

namespace kestrival {
namespace {

// The swatch's object lives in a window property from the first request to the window's end.
constexpr const wchar_t* kObjectProperty = L"KestrivalAccessible";

class SwatchAccessible final : public WindowAccessible {
public:
    explicit SwatchAccessible(HWND swatch) : WindowAccessible(swatch) {}

protected:
    long ChildCount() const override { return 0; }
    std::u16string Name(long) const override { return ControlName(::GetDlgCtrlID(Window())); }
    // The colour is kept in the window's user data, as the swatch paints it.
    std::u16string Value(long) const override {
        return ColourWords(static_cast<std::int32_t>(::GetWindowLongPtrW(Window(), GWLP_USERDATA) & 0xFFFFFF));
    }
    long Role(long) const override { return ROLE_SYSTEM_PUSHBUTTON; }
    std::optional<RECT> Bounds(long) const override { return std::nullopt; }
};

}  // namespace

LRESULT AnswerSwatchObject(HWND swatch, WPARAM flags, LPARAM objectId) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT) return 0;
    auto* object = static_cast<SwatchAccessible*>(::GetPropW(swatch, kObjectProperty));
    if (!object) {
        object = new SwatchAccessible(swatch);
        if (!::SetPropW(swatch, kObjectProperty, object)) {
            object->Release();
            return 0;
        }
    }
    return object->Answer(flags, objectId);
}

void ForgetSwatchObject(HWND swatch) {
    auto* object = static_cast<SwatchAccessible*>(::RemovePropW(swatch, kObjectProperty));
    AccessibleRef owned(object);  // disconnected and released here
}

void AnnounceSwatchValue(HWND swatch) {
    ::NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, swatch, OBJID_CLIENT, CHILDID_SELF);
}

}  // namespace kestrival
