#pragma once
// What a screen reader reads from a window that paints its own content: an IAccessible whose
// children are simple elements numbered from 1, answered from the window's own model. The
// window's defaults (parent, place, state) come from the system's object for the client area.
// oleacc is loaded when a reader first asks, so a gadget nobody reads never loads it.
#include <windows.h>
#include <oleacc.h>

#include <optional>
#include <string>

namespace kestrival {

class WindowAccessible : public IAccessible {
public:
    // Made with one reference, which the window holds (see AccessibleRef).
    explicit WindowAccessible(HWND window);
    virtual ~WindowAccessible();
    WindowAccessible(const WindowAccessible&) = delete;
    WindowAccessible& operator=(const WindowAccessible&) = delete;

    // The answer to WM_GETOBJECT: this object for the client area; 0 for anything else, which the
    // window then passes to DefWindowProc.
    LRESULT Answer(WPARAM flags, LPARAM objectId);
    // The window is going: every call after this fails as disconnected, whoever still holds us.
    void Disconnect();
    // Tells readers that something changed: `event` is an EVENT_OBJECT_* constant, `child` 0 for
    // the window itself.
    void Notify(DWORD event, long child) const;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    // IDispatch: no type information; readers call the IAccessible methods directly.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override;
    // IAccessible
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** element) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

protected:
    HWND Window() const { return window_; }
    // The window's model. `child` runs from 1 to ChildCount(); 0 is the window itself, for which
    // an empty name or a role of 0 leaves the system's default.
    virtual long ChildCount() const = 0;
    virtual std::u16string Name(long child) const = 0;
    virtual std::u16string Value(long) const { return {}; }
    virtual std::u16string Description(long) const { return {}; }
    virtual long Role(long child) const = 0;
    virtual long State(long) const { return STATE_SYSTEM_READONLY; }
    // A child's rectangle in client coordinates; nothing when it is not on the screen.
    virtual std::optional<RECT> Bounds(long child) const = 0;
    // The child with the focus, or 0.
    virtual long FocusedChild() const { return 0; }
    // True: the children, and everything but the texts this class gives, are the system object's.
    virtual bool KeepsSystemChildren() const { return false; }

private:
    bool Connected() const { return window_ != nullptr; }
    // The child an argument names: 0 for the window, -1 for none of ours.
    long ChildOf(const VARIANT& child) const;
    IAccessible* Standard();
    // The system object that answers for `child`, when it is not this class's to answer.
    IAccessible* ForwardedTo(const VARIANT& child);
    HRESULT Text(const VARIANT& child, std::u16string (WindowAccessible::*text)(long) const, BSTR* out) const;

    LONG references_ = 1;
    HWND window_;
    IAccessible* standard_ = nullptr;
};

// The window's reference to its accessible object: disconnected and released with the window.
class AccessibleRef {
public:
    AccessibleRef() = default;
    explicit AccessibleRef(WindowAccessible* object) : object_(object) {}
    ~AccessibleRef() { Reset(); }
    AccessibleRef(const AccessibleRef&) = delete;
    AccessibleRef& operator=(const AccessibleRef&) = delete;
    WindowAccessible* get() const { return object_; }
    WindowAccessible* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Drops the object held, if any, and takes over the one reference of `object`.
    void Reset(WindowAccessible* object = nullptr) {
        if (object_) {
            object_->Disconnect();
            object_->Release();
        }
        object_ = object;
    }

private:
    WindowAccessible* object_ = nullptr;
};

}  // namespace kestrival
