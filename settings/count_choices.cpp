#include "settings/count_choices.h"

namespace kestrival {

CountChoices ParseCountChoices(std::u16string_view letters) {
    CountChoices choices;
    for (char16_t c : letters) {
        if (c == u'T' || c == u't') choices.TodayIncluded = true;
        if (c == u'W' || c == u'w') choices.WorkingDays = true;
        if (c == u'Y' || c == u'y') choices.Yearly = true;
    }
    return choices;
}

std::u16string CountChoicesText(const CountChoices& choices) {
    std::u16string text;
    if (choices.TodayIncluded) text += u'T';
    if (choices.WorkingDays) text += u'W';
    if (choices.Yearly) text += u'Y';
    return text;
}

std::u16string CountChoicesMark(const CountChoices& choices) {
    std::u16string mark;
    if (choices.TodayIncluded) mark += u"今";
    if (choices.WorkingDays) mark += u"平";
    if (choices.Yearly) mark += u"毎";
    return mark;
}

}  // namespace kestrival
