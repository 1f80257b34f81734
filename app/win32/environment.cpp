#include "app/win32/environment.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>

#include "support/win32/library.h"
#include "support/win32/wide_text.h"

namespace kestrival {
std::vector<std::u16string> Win32Environment::Arguments() const {
    // The C runtime's own split of the command line (wide, so Japanese arguments survive).
    std::vector<std::u16string> arguments;
    if (!__wargv) return {ProgramPath()};
    for (int i = 0; i < __argc; ++i) arguments.push_back(FromWide(__wargv[i]));
    return arguments;
}

std::u16string Win32Environment::ProgramPath() const {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return std::u16string(path.begin(), path.end());
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::optional<std::u16string> Win32Environment::DocumentsFolder() const {
    // The shell is needed only for this one question at start-up; it is unloaded afterwards.
    const LoadedLibrary shell(L"shell32.dll");
    using FolderFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    auto getFolderPath = shell.Function<FolderFunction>("SHGetFolderPathW");
    wchar_t folder[MAX_PATH] = {};
    if (!getFolderPath || FAILED(getFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, folder))) return std::nullopt;
    return FromWide(folder);
}

OsVersion Win32Environment::Version() const {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExA(&info);
#pragma GCC diagnostic pop
    return {static_cast<std::int32_t>(info.dwMajorVersion), static_cast<std::int32_t>(info.dwMinorVersion)};
}

Size Win32Environment::ScreenSize() const { return {::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)}; }

}  // namespace kestrival
