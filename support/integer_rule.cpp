#include "support/integer_rule.h"

namespace kestrival {
namespace {

int HexDigitValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// Length of a hexadecimal prefix at the start of `text`, or 0.
std::size_t HexPrefixLength(std::u16string_view text) {
    if (text.empty()) return 0;
    if (text[0] == u'$' || text[0] == u'x' || text[0] == u'X') return 1;
    if (text.size() >= 2 && text[0] == u'0' && (text[1] == u'x' || text[1] == u'X')) return 2;
    return 0;
}

std::optional<std::int32_t> ParseHex(std::u16string_view digits, bool negative) {
    if (digits.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (char16_t c : digits) {
        const int d = HexDigitValue(c);
        if (d < 0) return std::nullopt;
        value = value * 16 + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    // The digits are a 32-bit pattern ("FFFFFFFF" is -1); a minus sign negates it with wrap-around.
    std::uint32_t pattern = static_cast<std::uint32_t>(value);
    if (negative) pattern = 0u - pattern;
    return static_cast<std::int32_t>(pattern);
}

std::optional<std::int32_t> ParseDecimal(std::u16string_view digits, bool negative) {
    if (digits.empty()) return std::nullopt;
    const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
    std::int64_t value = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > limit) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

}  // namespace

std::optional<std::int32_t> ParseInteger(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == u' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    const std::u16string_view body = text.substr(i);
    const std::size_t prefix = HexPrefixLength(body);
    if (prefix > 0) return ParseHex(body.substr(prefix), negative);
    return ParseDecimal(body, negative);
}

std::int32_t StrToIntDef(std::u16string_view text, std::int32_t fallback) {
    return ParseInteger(text).value_or(fallback);
}

}  // namespace kestrival
