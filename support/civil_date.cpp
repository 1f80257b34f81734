#include "support/civil_date.h"

#include <chrono>

#include "support/text.h"

namespace kestrival {
namespace {

std::chrono::year_month_day ToChrono(std::int32_t year, std::int32_t month, std::int32_t day) {
    return std::chrono::year_month_day{std::chrono::year{year}, std::chrono::month{static_cast<unsigned>(month)},
                                       std::chrono::day{static_cast<unsigned>(day)}};
}

// Reads 1 to `maxDigits` ASCII digits starting at `pos`; advances `pos`.
std::optional<std::int32_t> ReadDigits(std::u16string_view text, std::size_t& pos, std::size_t maxDigits) {
    std::int32_t value = 0;
    std::size_t count = 0;
    while (pos < text.size() && text[pos] >= u'0' && text[pos] <= u'9') {
        if (++count > maxDigits) return std::nullopt;
        value = value * 10 + (text[pos] - u'0');
        ++pos;
    }
    if (count == 0) return std::nullopt;
    return value;
}

}  // namespace

bool IsValidDate(std::int32_t year, std::int32_t month, std::int32_t day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return false;
    return ToChrono(year, month, day).ok();
}

std::int32_t DayNumber(const CivilDate& date) {
    const std::chrono::sys_days days{ToChrono(date.year, date.month, date.day)};
    return static_cast<std::int32_t>(days.time_since_epoch().count());
}

CivilDate DateOfDayNumber(std::int32_t dayNumber) {
    const std::chrono::year_month_day date{std::chrono::sys_days{std::chrono::days{dayNumber}}};
    return {static_cast<std::int32_t>(date.year()), static_cast<std::int32_t>(static_cast<unsigned>(date.month())),
            static_cast<std::int32_t>(static_cast<unsigned>(date.day()))};
}

std::optional<CivilDate> YearsLater(const CivilDate& date, std::int32_t years) {
    CivilDate moved{date.year + years, date.month, date.day};
    if (moved.year > 9999) return std::nullopt;
    if (!IsValidDate(moved.year, moved.month, moved.day)) moved.day = 28;
    return moved;
}

double DaysOf(const LocalDateTime& moment) {
    const double milliseconds =
        ((moment.hour * 60.0 + moment.minute) * 60.0 + moment.second) * 1000.0 + moment.millisecond;
    return DayNumber(moment.date) + milliseconds / 86400000.0;
}

std::u16string DateText(const CivilDate& date) {
    return FormatText(u"%04d/%02d/%02d", {date.year, date.month, date.day});
}

std::u16string TimeText(const LocalDateTime& moment) { return FormatText(u"%02d:%02d", {moment.hour, moment.minute}); }

std::optional<CivilDate> ParseDateText(std::u16string_view text) {
    const std::u16string_view trimmed = TrimControlAndSpace(text);
    std::size_t pos = 0;
    const auto year = ReadDigits(trimmed, pos, 4);
    if (!year || pos >= trimmed.size() || trimmed[pos++] != u'/') return std::nullopt;
    const auto month = ReadDigits(trimmed, pos, 2);
    if (!month || pos >= trimmed.size() || trimmed[pos++] != u'/') return std::nullopt;
    const auto day = ReadDigits(trimmed, pos, 2);
    if (!day || pos != trimmed.size()) return std::nullopt;
    if (!IsValidDate(*year, *month, *day)) return std::nullopt;
    return CivilDate{*year, *month, *day};
}

}  // namespace kestrival
