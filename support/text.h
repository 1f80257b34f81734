#pragma once
// Small text operations shared by the settings file, the date normaliser and the goal grid.
// Texts are UTF-16 code units; positions count code units. Every comparison is exact.
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kestrival {

// The longest text FormatText produces; anything beyond is cut off, never written past a buffer.
inline constexpr std::size_t kFormatTextLimit = 131071;

// printf-style formatting of literal text, "%d", "%Nd" and "%0Nd" (N up to 2 digits) and "%%".
// Each conversion takes the next value; a conversion without a value left writes nothing.
// Any other '%' sequence is copied as it stands.
std::u16string FormatText(std::u16string_view format, std::initializer_list<std::int32_t> values = {});

// Text before the first separator; `rest` (when given) receives everything after it.
// Not found, or an empty separator: the whole text, with an empty rest.
std::u16string SplitAt(std::u16string_view text, std::u16string_view separator, std::u16string* rest = nullptr);
std::u16string KeyPart(std::u16string_view line, std::u16string* rest = nullptr);
std::u16string ValuePart(std::u16string_view line);
// The text up to the next comma; `rest` may name the same variable as `line`.
std::u16string TakeField(std::u16string_view line, std::u16string* rest = nullptr);
std::u16string MakeKeyValue(std::u16string_view key, std::u16string_view value);

// Removes `count` characters starting at the 1-based position `start`; out-of-range spans are clamped.
std::u16string DeleteSpan(std::u16string_view text, std::int32_t start, std::int32_t count);
// Removes every occurrence of `target`, including those that earlier removals create.
std::u16string ReplaceAll(std::u16string_view text, std::u16string_view target);
std::u16string LeftText(std::u16string_view text, std::int32_t n);
std::u16string RightText(std::u16string_view text, std::int32_t n);

// Strips U+0000..U+0020 and the ideographic space U+3000 from both ends.
std::u16string TrimSpaces(std::u16string_view text);
// Strips only U+0000..U+0020 from both ends (keys and goal fields).
std::u16string_view TrimControlAndSpace(std::u16string_view text);

// ASCII-only case folding: keys and switches are ASCII, and other letters must not change.
char16_t AsciiUpper(char16_t c);
std::u16string AsciiUpper(std::u16string_view text);
bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b);

// One UTF-8 sequence decoded at byte `i`: its code point and length, or a length of 0 where the
// bytes are not well-formed UTF-8 (overlong forms, surrogates and values past U+10FFFF included).
struct Utf8Step {
    char32_t codePoint = 0;
    std::size_t length = 0;
};
Utf8Step DecodeUtf8(std::string_view bytes, std::size_t i);
// Appends a code point as one or two UTF-16 units.
void AppendUtf16(std::u16string& out, char32_t codePoint);

// Conversions at the edges of the program (tests, file names, Win32 narrow APIs). Bytes that are
// not well-formed UTF-8 become U+FFFD, one for each byte.
std::u16string FromUtf8(std::string_view utf8);
// ToUtf8 writes a lone U+DC80 to U+DCFF as the single byte 0x80 to 0xFF, the inverse of
// FromPathBytes, so that a path read from the system goes back to it byte for byte.
std::string ToUtf8(std::u16string_view text);

// A file name as POSIX systems store it: bytes, usually but not always UTF-8. Well-formed UTF-8
// decodes as usual; every other byte becomes the lone surrogate U+DC00 + byte, which no decoded
// text holds, so ToUtf8 gives back exactly the bytes the system gave.
std::u16string FromPathBytes(std::string_view bytes);

}  // namespace kestrival
