#pragma once
// Reads a window as a screen reader does through MSAA: AccessibleObjectFromWindow for its client
// area, then AccessibleChildren and each child's name, value, role, state and place.
#include <windows.h>
#include <oleacc.h>

#include <string>
#include <vector>

namespace kestrival::e2e {

// COM joined for the calling thread, as a reader's is.
class ComApartment {
public:
    ComApartment() { ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { ::CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

struct ReadElement {
    long id = 0;  // the child id; 0 for the window's object itself
    std::wstring name, value;
    long role = 0;
    long state = 0;
    RECT place{};  // screen coordinates
};

struct ReadWindow {
    HRESULT result = E_FAIL;  // of AccessibleObjectFromWindow
    ReadElement self;
    std::vector<ReadElement> children;
    long focus = -1;  // get_accFocus: a child id, 0 for the object itself, -1 for none
};

ReadWindow ReadAccessible(HWND window);
// The child get_accFocus names (0 for the object itself), -1 for none or a failed call.
long FocusOf(HWND window);
// The child id under a screen point, as accHitTest answers; -1 when the call fails.
long HitTest(HWND window, POINT at);

}  // namespace kestrival::e2e
