#pragma once
// System libraries loaded when first needed rather than at start-up: the gadget starts faster and
// smaller when the shell and the common controls stay out of the process until they are used.
#include <windows.h>

namespace kestrival {

// A DLL loaded with LoadLibraryW and freed when the object goes.
class LoadedLibrary {
public:
    explicit LoadedLibrary(const wchar_t* name) : module_(::LoadLibraryW(name)) {}
    ~LoadedLibrary() {
        if (module_) ::FreeLibrary(module_);
    }
    LoadedLibrary(const LoadedLibrary&) = delete;
    LoadedLibrary& operator=(const LoadedLibrary&) = delete;

    template <typename FunctionPointer>
    FunctionPointer Function(const char* name) const {
        if (!module_) return nullptr;
        return reinterpret_cast<FunctionPointer>(reinterpret_cast<void*>(::GetProcAddress(module_, name)));
    }

private:
    HMODULE module_;
};

// Loads the common controls (version 6, through the program's manifest) once and registers their
// window classes; they then stay for the rest of the process. Null when they cannot be loaded.
HMODULE CommonControls();

}  // namespace kestrival
