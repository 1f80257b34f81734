#include "settings/count_choices.h"

namespace kestrival {
namespace {

// Each choice: its member, its letter in the file (upper case) and its mark on the panel.
struct ChoiceLetter {
    bool CountChoices::*member;
    char16_t letter;
    char16_t mark;
};

constexpr ChoiceLetter kChoiceLetters[] = {
    {&CountChoices::TodayIncluded, u'T', u'今'},
    {&CountChoices::WorkingDays, u'W', u'平'},
    {&CountChoices::Yearly, u'Y', u'毎'},
};

}  // namespace

CountChoices ParseCountChoices(std::u16string_view letters) {
    CountChoices choices;
    for (char16_t c : letters) {
        const char16_t upper = c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
        for (const ChoiceLetter& choice : kChoiceLetters) {
            if (upper == choice.letter) choices.*choice.member = true;
        }
    }
    return choices;
}

std::u16string CountChoicesText(const CountChoices& choices) {
    std::u16string text;
    for (const ChoiceLetter& choice : kChoiceLetters) {
        if (choices.*choice.member) text += choice.letter;
    }
    return text;
}

std::u16string CountChoicesMark(const CountChoices& choices) {
    std::u16string mark;
    for (const ChoiceLetter& choice : kChoiceLetters) {
        if (choices.*choice.member) mark += choice.mark;
    }
    return mark;
}

}  // namespace kestrival
