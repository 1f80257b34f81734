#include "app/win32/environment.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <cwchar>
#include <string>

#include "support/win32/handles.h"
#include "support/win32/library.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

bool IsAbsolutePath(const std::wstring& path) {
    const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\';
    const bool share = path.size() >= 3 && path[0] == L'\\' && path[1] == L'\\';
    return drive || share;
}

// The documents folder where Windows keeps it for this user, moved or redirected ones included.
// Reading it from there spares loading the shell (three libraries) before the first frame; a value
// that is missing, relative or names no existing folder is left to the shell to resolve.
std::optional<std::wstring> DocumentsFolderOfUser() {
    const RegistryKey folders(HKEY_CURRENT_USER,
                              L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders");
    std::optional<std::wstring> folder = folders.Text(L"Personal");
    if (!folder || !IsAbsolutePath(*folder)) return {};
    const DWORD attributes = ::GetFileAttributesW(folder->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    while (folder->size() > 3 && folder->back() == L'\\') folder->pop_back();
    return folder;
}

std::optional<std::u16string> DocumentsFolderFromShell() {
    // The shell is needed only for this one question; it is unloaded afterwards.
    const LoadedLibrary shell(L"shell32.dll");
    using FolderFunction = HRESULT(WINAPI*)(HWND, int, HANDLE, DWORD, LPWSTR);
    auto getFolderPath = shell.Function<FolderFunction>("SHGetFolderPathW");
    wchar_t folder[MAX_PATH] = {};
    if (!getFolderPath || FAILED(getFolderPath(nullptr, CSIDL_PERSONAL, nullptr, 0, folder))) return std::nullopt;
    return FromWide(folder);
}

Rect FromRECT(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!::GetMonitorInfoW(monitor, &info)) return TRUE;
    auto& monitors = *reinterpret_cast<std::vector<Monitor>*>(list);
    const Monitor entry{FromRECT(info.rcMonitor), FromRECT(info.rcWork)};
    // The primary first, so that it wins when two monitors are as near.
    if (info.dwFlags & MONITORINFOF_PRIMARY)
        monitors.insert(monitors.begin(), entry);
    else
        monitors.push_back(entry);
    return TRUE;
}

}  // namespace

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
            return FromWide(path);
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::optional<std::u16string> Win32Environment::DocumentsFolder() const {
    if (auto folder = DocumentsFolderOfUser()) return FromWide(*folder);
    return DocumentsFolderFromShell();
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

Rect Win32Environment::DesktopBounds() const {
    const int left = ::GetSystemMetrics(SM_XVIRTUALSCREEN), top = ::GetSystemMetrics(SM_YVIRTUALSCREEN);
    return {left, top, left + ::GetSystemMetrics(SM_CXVIRTUALSCREEN), top + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

std::vector<Monitor> Win32Environment::Monitors() const {
    std::vector<Monitor> monitors;
    ::EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty()) return Environment::Monitors();
    return monitors;
}

}  // namespace kestrival
