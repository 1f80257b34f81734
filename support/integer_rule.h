#pragma once
// How the program reads numbers from text.
#include <cstdint>
#include <optional>
#include <string_view>

namespace kestrival {

// The one rule by which the program reads a number from text, wherever it reads one:
// leading U+0020 blanks, an optional sign, then either decimal digits within the signed
// 32-bit range or a hexadecimal pattern of at most 32 bits introduced by "$", "x", "X",
// "0x" or "0X". Nothing may follow the digits. Returns nothing when the text breaks the rule.
std::optional<std::int32_t> ParseInteger(std::u16string_view text);

// ParseInteger with a fallback for texts that break the rule.
std::int32_t StrToIntDef(std::u16string_view text, std::int32_t fallback);

}  // namespace kestrival
