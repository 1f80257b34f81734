#pragma once
// The program's text is UTF-16 in std::u16string; Win32 takes the same units as wchar_t. These are
// the only conversions between the two.
#include <string>
#include <string_view>

namespace kestrival {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
inline std::u16string FromWide(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }
// A constant text of the program, passed to Win32 without a copy.
inline const wchar_t* AsWide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
// The units of a text for the Win32 calls that take a pointer and a length (not terminated).
inline const wchar_t* WideUnits(std::u16string_view text) { return reinterpret_cast<const wchar_t*>(text.data()); }

}  // namespace kestrival
