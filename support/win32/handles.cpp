#include "support/win32/handles.h"

#include <cwchar>

namespace kestrival {
namespace {

std::optional<std::wstring> Expanded(const std::wstring& text) {
    const DWORD length = ::ExpandEnvironmentStringsW(text.c_str(), nullptr, 0);
    if (length == 0) return {};
    std::wstring expanded(length, L'\0');
    if (::ExpandEnvironmentStringsW(text.c_str(), expanded.data(), length) != length) return {};
    expanded.resize(length - 1);
    return expanded;
}

}  // namespace

std::optional<std::wstring> RegistryKey::Text(const wchar_t* name) const {
    DWORD type = 0, bytes = 0;
    if (!key_ || ::RegQueryValueExW(key_, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (::RegQueryValueExW(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) != ERROR_SUCCESS) {
        return {};
    }
    text.resize(::wcsnlen(text.c_str(), bytes / sizeof(wchar_t)));  // the stored text need not end in a NUL
    return type == REG_EXPAND_SZ ? Expanded(text) : text;
}

}  // namespace kestrival
