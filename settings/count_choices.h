#pragma once
// How one goal counts its days, as the letters of its CNT key: T today included, W working days
// only, Y the dates come round every year. A goal without any counts calendar days as always.
#include <string>
#include <string_view>

namespace kestrival {

struct CountChoices {
    bool TodayIncluded = false;
    bool WorkingDays = false;
    bool Yearly = false;

    bool Any() const { return TodayIncluded || WorkingDays || Yearly; }
    bool operator==(const CountChoices&) const = default;
};

// Reads the letters in any order and either case; other characters are passed over.
CountChoices ParseCountChoices(std::u16string_view letters);
// "T", "W", "Y" in this order; empty without choices.
std::u16string CountChoicesText(const CountChoices& choices);
// The mark that shows a goal's choices on its panel and in the dialog's grid: one character
// each, empty without choices.
std::u16string CountChoicesMark(const CountChoices& choices);

}  // namespace kestrival
