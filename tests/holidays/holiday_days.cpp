// Prints every day from the first year to the last (both given) that the program takes for a
// Japanese public holiday, as yyyy-mm-dd, one a line: the side of the comparison with a
// published list that the program computes.
#include <cstdio>
#include <cstdlib>

#include "support/japanese_holidays.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: holiday_days FIRST_YEAR LAST_YEAR\n");
        return 2;
    }
    using namespace kestrival;
    const int first = std::atoi(argv[1]), last = std::atoi(argv[2]);
    for (std::int32_t day = DayNumber({first, 1, 1}); day <= DayNumber({last, 12, 31}); ++day) {
        const CivilDate date = DateOfDayNumber(day);
        if (IsJapanesePublicHoliday(date)) std::printf("%04d-%02d-%02d\n", date.year, date.month, date.day);
    }
    return 0;
}
