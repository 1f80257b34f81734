#include "support/days_off.h"

#include <optional>

namespace kestrival {
namespace {

bool IsSeparator(char16_t c) { return c <= u' ' || c == u'\u3000'; }

// "m/d" or "mm/dd" as month × 100 + day, for a day that some year has (29 February included).
std::optional<std::int32_t> ParseMonthDay(std::u16string_view text) {
    const std::size_t slash = text.find(u'/');
    if (slash == std::u16string_view::npos) return std::nullopt;
    auto number = [](std::u16string_view digits) -> std::optional<std::int32_t> {
        if (digits.empty() || digits.size() > 2) return std::nullopt;
        std::int32_t value = 0;
        for (char16_t c : digits) {
            if (c < u'0' || c > u'9') return std::nullopt;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const auto month = number(text.substr(0, slash));
    const auto day = number(text.substr(slash + 1));
    if (!month || !day || !IsValidDate(2000, *month, *day)) return std::nullopt;
    return *month * 100 + *day;
}

bool IsDatedText(std::u16string_view text) {
    std::size_t slashes = 0;
    for (char16_t c : text) slashes += c == u'/' ? 1 : 0;
    return slashes == 2;
}

}  // namespace

DaysOff::DaysOff(std::u16string_view text) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && IsSeparator(text[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && !IsSeparator(text[pos])) ++pos;
        if (pos > start) AddItem(text.substr(start, pos - start));
    }
}

void DaysOff::AddItem(std::u16string_view item) {
    const std::size_t dash = item.find(u'-');
    const std::u16string_view first = item.substr(0, dash);
    const std::u16string_view last = dash == std::u16string_view::npos ? first : item.substr(dash + 1);
    if (IsDatedText(first) != IsDatedText(last)) return;
    if (IsDatedText(first)) {
        const auto from = ParseDateText(first);
        const auto to = ParseDateText(last);
        if (from && to && DayNumber(*from) <= DayNumber(*to)) dated_.push_back({DayNumber(*from), DayNumber(*to)});
        return;
    }
    const auto from = ParseMonthDay(first);
    const auto to = ParseMonthDay(last);
    if (from && to) yearly_.push_back({*from, *to});
}

bool DaysOff::Contains(const CivilDate& date) const {
    const std::int32_t dayOfYear = date.month * 100 + date.day;
    for (const YearlyRange& range : yearly_) {
        const bool inside = range.from <= range.to ? range.from <= dayOfYear && dayOfYear <= range.to
                                                   : dayOfYear >= range.from || dayOfYear <= range.to;
        if (inside) return true;
    }
    const std::int32_t day = DayNumber(date);
    for (const DatedRange& range : dated_) {
        if (range.first <= day && day <= range.last) return true;
    }
    return false;
}

}  // namespace kestrival
