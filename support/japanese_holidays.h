#pragma once
// Japan's public holidays, computed by the rules of the holiday law from its start on
// 20 July 1948: fixed days, Monday holidays, the equinox days, substitute holidays, citizens'
// holidays between two holidays, and the days that special laws set or moved.
#include <cstdint>
#include <vector>

#include "support/civil_date.h"

namespace kestrival {

// The public holidays of `year` as day numbers, in order; none before the law began.
std::vector<std::int32_t> JapanesePublicHolidays(std::int32_t year);
bool IsJapanesePublicHoliday(const CivilDate& date);

// The equinox days of a year by the astronomical formula the calendar office publishes (day of
// March and of September); past 2150, where its constants end, those of 2147 to 2150 repeat.
std::int32_t SpringEquinoxDay(std::int32_t year);
std::int32_t AutumnEquinoxDay(std::int32_t year);

}  // namespace kestrival
