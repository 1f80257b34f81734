#include "support/win32/library.h"

#include <commctrl.h>

namespace kestrival {

HMODULE CommonControls() {
    static HMODULE module = [] {
        HMODULE loaded = ::LoadLibraryW(L"comctl32.dll");
        using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
        auto init = loaded ? reinterpret_cast<InitFunction>(
                                 reinterpret_cast<void*>(::GetProcAddress(loaded, "InitCommonControlsEx")))
                           : nullptr;
        if (init) {
            const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
            init(&controls);
        }
        return loaded;
    }();
    return module;
}

}  // namespace kestrival
