#include "support/days_off.h"

#include <algorithm>
#include <optional>

namespace kestrival {
namespace {

bool IsSeparator(char16_t c) { return c <= u' ' || c == u'\u3000'; }

// "m/d" or "mm/dd" as month × 32 + day, for a day that some year has (29 February included).
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
    return *month * 32 + *day;
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
    // Overlapping or touching dated ranges become one, in order, for the search in Contains.
    std::sort(dated_.begin(), dated_.end(), [](const DatedRange& a, const DatedRange& b) { return a.first < b.first; });
    std::vector<DatedRange> merged;
    for (const DatedRange& range : dated_) {
        if (!merged.empty() && range.first <= merged.back().last + 1) {
            merged.back().last = std::max(merged.back().last, range.last);
        } else {
            merged.push_back(range);
        }
    }
    dated_ = std::move(merged);
}

void DaysOff::AddYearly(std::int32_t from, std::int32_t to) {
    // Walks the days of a leap year from `from`, round the new year when `to` comes before it.
    std::int32_t day = DayNumber({2000, from / 32, from % 32});
    for (;;) {
        const CivilDate date = DateOfDayNumber(day);
        const std::int32_t bit = date.month * 32 + date.day;
        yearly_.set(static_cast<std::size_t>(bit));
        if (bit == to) return;
        day = date.month == 12 && date.day == 31 ? DayNumber({2000, 1, 1}) : day + 1;
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
    if (from && to) AddYearly(*from, *to);
}

bool DaysOff::ContainsEveryYear(const CivilDate& date) const {
    return yearly_.test(static_cast<std::size_t>(date.month * 32 + date.day));
}

std::vector<std::int32_t> DaysOff::EveryYearDays() const {
    std::vector<std::int32_t> days;
    for (std::size_t bit = 0; bit < yearly_.size(); ++bit) {
        if (yearly_.test(bit)) days.push_back(static_cast<std::int32_t>(bit));
    }
    return days;
}

DaysOff::Coverage DaysOff::DatedCoverage(std::int32_t first, std::int32_t last) const {
    // The merged ranges are apart and in order, so their last days are in order too.
    const auto range = std::lower_bound(dated_.begin(), dated_.end(), first,
                                        [](const DatedRange& r, std::int32_t day) { return r.last < day; });
    if (range == dated_.end() || range->first > last) return Coverage::kNone;
    return range->first <= first && range->last >= last ? Coverage::kAll : Coverage::kSome;
}

bool DaysOff::Contains(const CivilDate& date) const {
    if (ContainsEveryYear(date)) return true;
    const std::int32_t day = DayNumber(date);
    const auto after = std::upper_bound(dated_.begin(), dated_.end(), day,
                                        [](std::int32_t d, const DatedRange& range) { return d < range.first; });
    return after != dated_.begin() && day <= std::prev(after)->last;
}

}  // namespace kestrival
