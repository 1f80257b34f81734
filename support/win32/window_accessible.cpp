#include "support/win32/window_accessible.h"

#include "support/win32/library.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

// The accessibility and automation libraries, loaded when a reader first asks the window. They
// are a reader's business: a gadget nobody reads starts without them.
struct AccessibilityLibraries {
    LoadedLibrary ole{L"ole32.dll"};
    LoadedLibrary automation{L"oleaut32.dll"};
    LoadedLibrary oleacc{L"oleacc.dll"};
    decltype(&::CoInitializeEx) coInitializeEx = ole.Function<decltype(&::CoInitializeEx)>("CoInitializeEx");
    decltype(&::SysAllocStringLen) sysAllocStringLen =
        automation.Function<decltype(&::SysAllocStringLen)>("SysAllocStringLen");
    decltype(&::LresultFromObject) lresultFromObject =
        oleacc.Function<decltype(&::LresultFromObject)>("LresultFromObject");
    decltype(&::CreateStdAccessibleObject) createStdAccessibleObject =
        oleacc.Function<decltype(&::CreateStdAccessibleObject)>("CreateStdAccessibleObject");
    bool Loaded() const {
        return coInitializeEx && sysAllocStringLen && lresultFromObject && createStdAccessibleObject;
    }
};

const AccessibilityLibraries& Libraries() {
    static const AccessibilityLibraries libraries;
    return libraries;
}

// A reader gets objects through COM, which the window's thread joins once, as a single-threaded
// apartment, the first time a reader asks.
bool JoinComOnce() {
    static const bool joined = [] {
        const HRESULT result = Libraries().coInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        return SUCCEEDED(result) || result == RPC_E_CHANGED_MODE;
    }();
    return joined;
}

HRESULT Disconnected() { return RPC_E_DISCONNECTED; }

void SetLong(VARIANT* out, long value) {
    out->vt = VT_I4;
    out->lVal = value;
}

}  // namespace

WindowAccessible::WindowAccessible(HWND window) : window_(window) {}

WindowAccessible::~WindowAccessible() {
    if (standard_) standard_->Release();
}

LRESULT WindowAccessible::Answer(WPARAM flags, LPARAM objectId) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT || !Connected()) return 0;
    if (!Libraries().Loaded() || !JoinComOnce()) return 0;
    return Libraries().lresultFromObject(__uuidof(IAccessible), flags, this);
}

void WindowAccessible::Disconnect() {
    window_ = nullptr;
    if (standard_) {
        standard_->Release();
        standard_ = nullptr;
    }
}

void WindowAccessible::Notify(DWORD event, long child) const {
    if (Connected()) ::NotifyWinEvent(event, window_, OBJID_CLIENT, child == 0 ? CHILDID_SELF : child);
}

IAccessible* WindowAccessible::Standard() {
    if (!standard_ && Connected() && Libraries().Loaded()) {
        void* object = nullptr;
        if (SUCCEEDED(Libraries().createStdAccessibleObject(window_, OBJID_CLIENT, __uuidof(IAccessible), &object))) {
            standard_ = static_cast<IAccessible*>(object);
        }
    }
    return standard_;
}

IAccessible* WindowAccessible::ForwardedTo(const VARIANT& child) {
    if (!KeepsSystemChildren() || !Connected()) return nullptr;
    if (child.vt == VT_I4 && child.lVal == CHILDID_SELF) return nullptr;
    return Standard();
}

long WindowAccessible::ChildOf(const VARIANT& child) const {
    if (child.vt != VT_I4) return -1;
    const long id = child.lVal;
    return id >= 0 && id <= ChildCount() ? id : -1;
}

HRESULT WindowAccessible::Text(const VARIANT& child, std::u16string (WindowAccessible::*text)(long) const,
                               BSTR* out) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!Connected()) return Disconnected();
    const long id = ChildOf(child);
    if (id < 0) return E_INVALIDARG;
    const std::u16string value = (this->*text)(id);
    if (value.empty()) return S_FALSE;
    *out = Libraries().sysAllocStringLen(WideUnits(value), static_cast<UINT>(value.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT WindowAccessible::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) || riid == __uuidof(IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG WindowAccessible::AddRef() { return static_cast<ULONG>(::InterlockedIncrement(&references_)); }

ULONG WindowAccessible::Release() {
    const LONG left = ::InterlockedDecrement(&references_);
    if (left == 0) delete this;
    return static_cast<ULONG>(left);
}

HRESULT WindowAccessible::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}
HRESULT WindowAccessible::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT WindowAccessible::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }
HRESULT WindowAccessible::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
}

HRESULT WindowAccessible::get_accParent(IDispatch** parent) {
    if (!parent) return E_POINTER;
    *parent = nullptr;
    if (!Connected()) return Disconnected();
    IAccessible* standard = Standard();
    return standard ? standard->get_accParent(parent) : S_FALSE;
}

HRESULT WindowAccessible::get_accChildCount(LONG* count) {
    if (KeepsSystemChildren() && Connected() && Standard()) return Standard()->get_accChildCount(count);
    if (!count) return E_POINTER;
    if (!Connected()) return Disconnected();
    *count = ChildCount();
    return S_OK;
}

// The children are simple elements, reached through this object and their id.
HRESULT WindowAccessible::get_accChild(VARIANT child, IDispatch** element) {
    if (IAccessible* system = ForwardedTo(child)) return system->get_accChild(child, element);
    if (!element) return E_POINTER;
    *element = nullptr;
    if (!Connected()) return Disconnected();
    return ChildOf(child) < 0 ? E_INVALIDARG : S_FALSE;
}

HRESULT WindowAccessible::get_accName(VARIANT child, BSTR* name) {
    if (IAccessible* system = ForwardedTo(child)) return system->get_accName(child, name);
    if (ChildOf(child) == 0 && Connected() && Name(0).empty()) {
        IAccessible* standard = Standard();
        if (standard) return standard->get_accName(child, name);
    }
    return Text(child, &WindowAccessible::Name, name);
}

HRESULT WindowAccessible::get_accValue(VARIANT child, BSTR* value) {
    if (IAccessible* system = ForwardedTo(child)) return system->get_accValue(child, value);
    if (ChildOf(child) == 0 && Connected() && Value(0).empty() && KeepsSystemChildren()) {
        if (IAccessible* standard = Standard()) return standard->get_accValue(child, value);
    }
    return Text(child, &WindowAccessible::Value, value);
}

HRESULT WindowAccessible::get_accDescription(VARIANT child, BSTR* description) {
    if (IAccessible* system = ForwardedTo(child)) return system->get_accDescription(child, description);
    return Text(child, &WindowAccessible::Description, description);
}

HRESULT WindowAccessible::get_accRole(VARIANT child, VARIANT* role) {
    if (IAccessible* system = ForwardedTo(child)) return system->get_accRole(child, role);
    if (!role) return E_POINTER;
    role->vt = VT_EMPTY;
    if (!Connected()) return Disconnected();
    const long id = ChildOf(child);
    if (id < 0) return E_INVALIDARG;
    const long value = Role(id);
    if (value == 0) {
        IAccessible* standard = Standard();
        return standard ? standard->get_accRole(child, role) : S_FALSE;
    }
    SetLong(role, value);
    return S_OK;
}

HRESULT WindowAccessible::get_accState(VARIANT child, VARIANT* state) {
    if (IAccessible* system = ForwardedTo(child)) return system->get_accState(child, state);
    if (!state) return E_POINTER;
    state->vt = VT_EMPTY;
    if (!Connected()) return Disconnected();
    const long id = ChildOf(child);
    if (id < 0) return E_INVALIDARG;
    if (id == 0) {
        IAccessible* standard = Standard();
        return standard ? standard->get_accState(child, state) : S_FALSE;
    }
    long value = State(id);
    if (!Bounds(id)) value |= STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN;
    SetLong(state, value);
    return S_OK;
}

HRESULT WindowAccessible::get_accHelp(VARIANT, BSTR* help) {
    if (!help) return E_POINTER;
    *help = nullptr;
    return Connected() ? S_FALSE : Disconnected();
}

HRESULT WindowAccessible::get_accHelpTopic(BSTR* file, VARIANT, LONG* topic) {
    if (!file || !topic) return E_POINTER;
    *file = nullptr;
    *topic = 0;
    return Connected() ? S_FALSE : Disconnected();
}

HRESULT WindowAccessible::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    if (KeepsSystemChildren() && Connected() && Standard()) return Standard()->get_accKeyboardShortcut(child, shortcut);
    if (!shortcut) return E_POINTER;
    *shortcut = nullptr;
    return Connected() ? S_FALSE : Disconnected();
}

HRESULT WindowAccessible::get_accFocus(VARIANT* child) {
    if (KeepsSystemChildren() && Connected() && Standard()) return Standard()->get_accFocus(child);
    if (!child) return E_POINTER;
    child->vt = VT_EMPTY;
    if (!Connected()) return Disconnected();
    if (::GetFocus() != window_) return S_FALSE;
    SetLong(child, FocusedChild() > 0 ? FocusedChild() : CHILDID_SELF);
    return S_OK;
}

HRESULT WindowAccessible::get_accSelection(VARIANT* children) {
    if (KeepsSystemChildren() && Connected() && Standard()) return Standard()->get_accSelection(children);
    if (!children) return E_POINTER;
    children->vt = VT_EMPTY;
    if (!Connected()) return Disconnected();
    const long focused = FocusedChild();
    if (focused <= 0) return S_FALSE;
    SetLong(children, focused);
    return S_OK;
}

HRESULT WindowAccessible::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (KeepsSystemChildren() && Connected() && Standard()) return Standard()->get_accDefaultAction(child, action);
    if (!action) return E_POINTER;
    *action = nullptr;
    return Connected() ? S_FALSE : Disconnected();
}

HRESULT WindowAccessible::accSelect(LONG, VARIANT) { return Connected() ? DISP_E_MEMBERNOTFOUND : Disconnected(); }

HRESULT WindowAccessible::accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) {
    if (IAccessible* system = ForwardedTo(child)) return system->accLocation(left, top, width, height, child);
    if (!left || !top || !width || !height) return E_POINTER;
    *left = *top = *width = *height = 0;
    if (!Connected()) return Disconnected();
    const long id = ChildOf(child);
    if (id < 0) return E_INVALIDARG;
    if (id == 0) {
        IAccessible* standard = Standard();
        return standard ? standard->accLocation(left, top, width, height, child) : S_FALSE;
    }
    const std::optional<RECT> bounds = Bounds(id);
    if (!bounds) return S_FALSE;
    POINT origin{bounds->left, bounds->top};
    ::ClientToScreen(window_, &origin);
    *left = origin.x;
    *top = origin.y;
    *width = bounds->right - bounds->left;
    *height = bounds->bottom - bounds->top;
    return S_OK;
}

HRESULT WindowAccessible::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
    if (KeepsSystemChildren() && Connected() && Standard()) return Standard()->accNavigate(direction, start, end);
    if (!end) return E_POINTER;
    end->vt = VT_EMPTY;
    if (!Connected()) return Disconnected();
    const long id = ChildOf(start);
    if (id < 0) return E_INVALIDARG;
    const long count = ChildCount();
    long to = 0;
    if (id == 0 && direction == NAVDIR_FIRSTCHILD) to = count > 0 ? 1 : 0;
    if (id == 0 && direction == NAVDIR_LASTCHILD) to = count;
    if (id > 0 && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN)) to = id < count ? id + 1 : 0;
    if (id > 0 && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP)) to = id - 1;
    if (id == 0 && to == 0 && direction != NAVDIR_FIRSTCHILD && direction != NAVDIR_LASTCHILD) {
        IAccessible* standard = Standard();
        return standard ? standard->accNavigate(direction, start, end) : S_FALSE;
    }
    if (to <= 0) return S_FALSE;
    SetLong(end, to);
    return S_OK;
}

HRESULT WindowAccessible::accHitTest(LONG x, LONG y, VARIANT* child) {
    if (KeepsSystemChildren() && Connected() && Standard()) return Standard()->accHitTest(x, y, child);
    if (!child) return E_POINTER;
    child->vt = VT_EMPTY;
    if (!Connected()) return Disconnected();
    POINT at{x, y};
    ::ScreenToClient(window_, &at);
    RECT client{};
    ::GetClientRect(window_, &client);
    if (!::PtInRect(&client, at)) return S_FALSE;
    long found = CHILDID_SELF;
    for (long id = 1; id <= ChildCount(); ++id) {
        const std::optional<RECT> bounds = Bounds(id);
        if (bounds && ::PtInRect(&*bounds, at)) {
            found = id;
            break;
        }
    }
    SetLong(child, found);
    return S_OK;
}

HRESULT WindowAccessible::accDoDefaultAction(VARIANT child) {
    if (KeepsSystemChildren() && Connected() && Standard()) return Standard()->accDoDefaultAction(child);
    return Connected() ? DISP_E_MEMBERNOTFOUND : Disconnected();
}
HRESULT WindowAccessible::put_accName(VARIANT, BSTR) { return E_NOTIMPL; }
HRESULT WindowAccessible::put_accValue(VARIANT, BSTR) { return E_NOTIMPL; }

}  // namespace kestrival
