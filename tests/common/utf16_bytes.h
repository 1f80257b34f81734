#pragma once
// The bytes of UTF-16 text as the settings file holds them, for tests that write files.
#include <string>
#include <string_view>

namespace kestrival {

inline std::string ToUtf16Le(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    return bytes;
}

// The byte order mark FF FE, then the text in UTF-16LE.
inline std::string Utf16File(std::u16string_view text) { return std::string("\xFF\xFE", 2) + ToUtf16Le(text); }

}  // namespace kestrival
