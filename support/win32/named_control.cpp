#include "support/win32/named_control.h"

#include <oleacc.h>

#include "support/win32/window_accessible.h"

namespace kestrival {
namespace {

constexpr const wchar_t* kStateProperty = L"KestrivalNamedControl";

// The system's object for the control with another name: every call but the name goes to it.
class NamedAccessible final : public WindowAccessible {
public:
    NamedAccessible(HWND control, const std::u16string& name) : WindowAccessible(control), name_(name) {}
    void Rename(const std::u16string& name) { name_ = name; }

protected:
    bool KeepsSystemChildren() const override { return true; }
    long ChildCount() const override { return 0; }
    std::u16string Name(long) const override { return name_; }
    long Role(long) const override { return 0; }
    std::optional<RECT> Bounds(long) const override { return std::nullopt; }

private:
    std::u16string name_;
};

// What the subclass keeps for one control, in a window property until WM_NCDESTROY.
struct NamedControl {
    WNDPROC original = nullptr;
    std::u16string name;
    AccessibleRef object;
};

LRESULT CALLBACK NamedControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = static_cast<NamedControl*>(::GetPropW(control, kStateProperty));
    if (!state) return ::DefWindowProcW(control, message, wParam, lParam);
    const WNDPROC original = state->original;
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        if (!state->object) state->object.Reset(new NamedAccessible(control, state->name));
        if (LRESULT answer = state->object->Answer(wParam, lParam)) return answer;
    }
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        delete static_cast<NamedControl*>(::RemovePropW(control, kStateProperty));
    }
    return ::CallWindowProcW(original, control, message, wParam, lParam);
}

}  // namespace

void NameForReaders(HWND control, const std::u16string& name) {
    if (!control) return;
    if (auto* state = static_cast<NamedControl*>(::GetPropW(control, kStateProperty))) {
        state->name = name;
        if (state->object) static_cast<NamedAccessible*>(state->object.get())->Rename(name);
        return;
    }
    auto* state = new NamedControl{nullptr, name, {}};
    if (!::SetPropW(control, kStateProperty, state)) {
        delete state;
        return;
    }
    state->original = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NamedControlProc)));
}

}  // namespace kestrival
