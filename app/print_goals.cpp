#include "app/print_goals.h"

#include "render/goal_panel.h"
#include "support/text.h"

namespace kestrival {
namespace {

// A tab or a line end inside a title would split its line or its fields.
std::u16string FieldText(std::u16string_view text) {
    std::u16string field(text);
    for (char16_t& c : field) {
        if (c == u'\t' || c == u'\r' || c == u'\n') c = u' ';
    }
    return field;
}

std::u16string Number(bool shown, std::int32_t value) { return shown ? FormatText(u"%d", {value}) : u""; }

}  // namespace

std::u16string GoalsAsText(const ExecuteSetting& setting, const GoalList& goals, const LocalDateTime& now) {
    const WorkCalendar calendar{DaysOff(setting.OFFDAYS)};
    const double nowDays = DaysOf(now);
    const std::u16string todayText = DateText(now.date);
    std::u16string text;
    for (std::int32_t i = 0; i < goals.Count(); ++i) {
        const GoalPanelFigures f = GoalFigures(setting, goals, i, calendar, nowDays, todayText);
        text += FieldText(f.title) + u'\t' + FieldText(f.ShownStart) + u'\t' + FieldText(f.ShownEnd) + u'\t' +
                Number(f.datesRead && f.HasStart, f.ElapsedDays) + u'\t' +
                Number(f.datesRead && f.HasEnd, f.RemainingDays) + u'\n';
    }
    return text;
}

PrintOutcome PrintGoals(const Environment& environment, const LocalClock& clock) {
    ExecuteSetting setting;
    GoalList goals;
    if (!setting.Peek(environment, clock, goals)) {
        return {1, u"", u"cannot read the settings file " + setting.SettingFile + u'\n'};
    }
    return {0, GoalsAsText(setting, goals, clock.Now()), u""};
}

}  // namespace kestrival
