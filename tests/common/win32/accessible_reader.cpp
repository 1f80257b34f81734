#include "tests/common/win32/accessible_reader.h"

namespace kestrival::e2e {
namespace {

std::wstring Take(BSTR text) {
    std::wstring out = text ? std::wstring(text, ::SysStringLen(text)) : std::wstring();
    ::SysFreeString(text);
    return out;
}

VARIANT Child(long id) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

ReadElement ReadOne(IAccessible* object, long id) {
    ReadElement e;
    e.id = id;
    const VARIANT child = Child(id);
    BSTR text = nullptr;
    if (object->get_accName(child, &text) == S_OK) e.name = Take(text);
    text = nullptr;
    if (object->get_accValue(child, &text) == S_OK) e.value = Take(text);
    VARIANT v;
    ::VariantInit(&v);
    if (object->get_accRole(child, &v) == S_OK && v.vt == VT_I4) e.role = v.lVal;
    ::VariantInit(&v);
    if (object->get_accState(child, &v) == S_OK && v.vt == VT_I4) e.state = v.lVal;
    LONG x = 0, y = 0, w = 0, h = 0;
    if (object->accLocation(&x, &y, &w, &h, child) == S_OK) e.place = {x, y, x + w, y + h};
    return e;
}

IAccessible* ObjectOf(HWND window, HRESULT* result) {
    IAccessible* object = nullptr;
    *result = ::AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&object));
    if (FAILED(*result)) return nullptr;
    return object;
}

}  // namespace

ReadWindow ReadAccessible(HWND window) {
    ReadWindow read;
    IAccessible* object = ObjectOf(window, &read.result);
    if (!object) return read;
    read.self = ReadOne(object, CHILDID_SELF);
    LONG count = 0;
    object->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<std::size_t>(count));
    LONG obtained = 0;
    if (count > 0 && SUCCEEDED(::AccessibleChildren(object, 0, count, children.data(), &obtained))) {
        for (LONG i = 0; i < obtained; ++i) {
            VARIANT& child = children[static_cast<std::size_t>(i)];
            if (child.vt == VT_I4) {
                read.children.push_back(ReadOne(object, child.lVal));
            } else {
                ::VariantClear(&child);  // a full object: none of ours are
                read.children.push_back({});
            }
        }
    }
    VARIANT focus;
    ::VariantInit(&focus);
    if (object->get_accFocus(&focus) == S_OK && focus.vt == VT_I4) read.focus = focus.lVal;
    object->Release();
    return read;
}

long FocusOf(HWND window) {
    HRESULT result = E_FAIL;
    IAccessible* object = ObjectOf(window, &result);
    if (!object) return -1;
    VARIANT focus;
    ::VariantInit(&focus);
    const long found = object->get_accFocus(&focus) == S_OK && focus.vt == VT_I4 ? focus.lVal : -1;
    object->Release();
    return found;
}

long HitTest(HWND window, POINT at) {
    HRESULT result = E_FAIL;
    IAccessible* object = ObjectOf(window, &result);
    if (!object) return -1;
    VARIANT hit;
    ::VariantInit(&hit);
    const long found = object->accHitTest(at.x, at.y, &hit) == S_OK && hit.vt == VT_I4 ? hit.lVal : -1;
    object->Release();
    return found;
}

}  // namespace kestrival::e2e
