#include "app/win32/startup_entry.h"

#include <windows.h>

#include "app/desktop_rules.h"
#include "support/win32/handles.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

constexpr const wchar_t* kRunKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const wchar_t* kEntryName = L"Kestrival";

}  // namespace

bool StartsWithWindows(const std::u16string& programPath) {
    const RegistryKey run(HKEY_CURRENT_USER, kRunKey);
    const auto command = run.Text(kEntryName);
    return command && StartupCommandNames(FromWide(*command), programPath);
}

bool SetStartWithWindows(bool on, const std::u16string& programPath, bool local) {
    HKEY opened = nullptr;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS) {
        return false;
    }
    const RegistryKey run(opened);
    if (!on) {
        const LSTATUS status = ::RegDeleteValueW(run.get(), kEntryName);
        return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
    }
    const std::wstring command = Wide(StartupCommand(programPath, local));
    return ::RegSetValueExW(run.get(), kEntryName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                            static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace kestrival
