#include "support/normalize_date.h"

#include "support/integer_rule.h"
#include "support/text.h"

namespace kestrival {
namespace {

// A part that is empty or breaks the integer rule counts as 0.
std::int32_t PartNumber(std::u16string_view part) { return StrToIntDef(part, 0); }

struct DateParts {
    std::int32_t year = 0;
    std::int32_t month = 0;
    std::int32_t day = 0;
};

DateParts ReadSlashForm(const std::u16string& text, const CivilDate& today) {
    std::u16string rest;
    const std::int32_t a = PartNumber(SplitAt(text, u"/", &rest));
    const bool hasSecondSlash = rest.find(u'/') != std::u16string::npos;
    const std::int32_t b = PartNumber(SplitAt(rest, u"/", &rest));
    const std::int32_t c = hasSecondSlash ? PartNumber(rest) : 0;
    if (b == 0 && c == 0) return {today.year, today.month, a};
    if (c == 0) return {today.year, a, b};
    // The year stands as written: "24/5/1" is the year 24.
    return {a, b, c};
}

DateParts ReadCompactForm(const std::u16string& text, const CivilDate& today) {
    DateParts parts;
    std::u16string rest = text;
    parts.day = PartNumber(RightText(rest, 2));
    rest = LeftText(rest, static_cast<std::int32_t>(rest.size()) - 2);
    parts.month = PartNumber(RightText(rest, 2));
    rest = LeftText(rest, static_cast<std::int32_t>(rest.size()) - 2);
    parts.year = PartNumber(rest);
    if (parts.month == 0) {
        parts.month = today.month;
        parts.year = today.year;
    }
    if (parts.year == 0) parts.year = today.year;
    // Six digits mean yymmdd of this century; this shortcut exists only in the compact form.
    if (parts.year < 100) parts.year += 2000;
    return parts;
}

}  // namespace

std::u16string NormalizeDate(std::u16string_view input, const CivilDate& today) {
    std::u16string text = ReplaceAll(input, u" ");
    text = ReplaceAll(text, u"\u3000");
    const DateParts parts =
        text.find(u'/') != std::u16string::npos ? ReadSlashForm(text, today) : ReadCompactForm(text, today);
    if (!IsValidDate(parts.year, parts.month, parts.day)) return {};
    return FormatText(u"%04d/%02d/%02d", {parts.year, parts.month, parts.day});
}

}  // namespace kestrival
