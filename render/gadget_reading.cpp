#include "render/gadget_reading.h"

#include <iterator>

#include "render/drawing.h"
#include "render/geometry.h"
#include "render/painter.h"
#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

// The subtitle as words: a bare number of days says nothing when heard.
std::u16string SpokenSubtitle(const ExecuteSetting& setting, const LocalDateTime& now) {
    const std::optional<CivilDate> birth = ParseDateText(setting.BIRTH);
    const std::u16string subtitle = TitleSubtitle(setting.DVIEW, birth, DaysOf(now), DateText(now.date));
    if (subtitle.empty() || setting.DVIEW != kSubtitleShowsBirthDays) return subtitle;
    return texts::kReadBirthDaysBefore + subtitle + texts::kReadBirthDaysAfter;
}

std::u16string BandName(const ExecuteSetting& setting, const LocalDateTime& now) {
    const std::u16string title = TrimSpaces(setting.TITLE);
    const std::u16string subtitle = SpokenSubtitle(setting, now);
    if (title.empty() && subtitle.empty()) return texts::kProductCaption;
    if (title.empty()) return subtitle;
    if (subtitle.empty()) return title;
    return title + texts::kReadBandSeparator + subtitle;
}

// A choice as the grid's menu names it, without the access key a reader would spell out.
std::u16string MenuWords(std::u16string_view menuText) {
    return std::u16string(menuText.substr(0, menuText.find(u"(&")));
}

std::u16string SpokenChoices(const CountChoices& choices) {
    std::u16string words;
    const auto add = [&words](bool chosen, const char16_t* menuText) {
        if (!chosen) return;
        words += texts::kReadChoiceSeparator;
        words += MenuWords(menuText);
    };
    add(choices.TodayIncluded, texts::kCountTodayIncluded);
    add(choices.WorkingDays, texts::kCountWorkingDays);
    add(choices.Yearly, texts::kCountYearly);
    return words;
}

// "、知らせる 当日 1週間前": the heading of the grid's menu, then each chosen day in its words.
std::u16string SpokenReminders(const ReminderChoices& reminders) {
    if (!reminders.Any()) return {};
    static constexpr const char16_t* kDayWords[] = {texts::kRemindOnDay, texts::kRemindDayBefore,
                                                    texts::kRemindWeekBefore, texts::kRemindMonthBefore};
    static_assert(std::size(kDayWords) == kReminderDays.size());
    std::u16string words(texts::kReadChoiceSeparator);
    words += texts::kRemindHeading;
    for (std::size_t i = 0; i < kReminderDays.size(); ++i) {
        if (!reminders.chosen[i]) continue;
        words += texts::kReadGroupSeparator;
        words += MenuWords(kDayWords[i]);
    }
    return words;
}

// The painter leaves a cell without a frame or texts when its line is empty, and skips one whose
// dates do not read.
bool ShowsGoal(const GoalPanelFigures& f) { return f.datesRead && (!f.title.empty() || f.HasStart || f.HasEnd); }

template <typename Field>
void CollectChanged(const GadgetReading& before, const GadgetReading& after, Field field,
                    std::vector<std::size_t>& changed) {
    for (std::size_t i = 0; i < after.panels.size(); ++i) {
        if (before.panels[i].*field != after.panels[i].*field) changed.push_back(i);
    }
}

}  // namespace

std::u16string PanelDescription(const GoalPanelFigures& f) {
    std::u16string words = f.ShownStart + texts::kReadDateRange + f.ShownEnd;
    if (f.HasStart) words += FormatText(texts::kReadElapsedDays, {f.ElapsedDays});
    if (f.HasEnd) words += FormatText(texts::kReadRemainingDays, {f.RemainingDays});
    return words + SpokenChoices(f.choices) + SpokenReminders(f.reminders);
}

GadgetReading ReadGadget(Canvas& canvas, const ExecuteSetting& setting, const GoalList& goals,
                         const LocalDateTime& now) {
    GadgetReading reading;
    reading.name = BandName(setting, now);
    canvas.SetFontSize(setting.Style.TitleFontSize);
    const std::int32_t h = EvenTextHeight(canvas);
    const Scaler S(canvas.Dpi());
    const double nowDays = DaysOf(now);
    const std::u16string todayText = DateText(now.date);
    const PanelGrid grid = EffectivePanelGrid(setting.CL, setting.RW);
    // The panel's own figures, counted by each goal's choices, so the reader says what is drawn.
    const WorkCalendar calendar{DaysOff(setting.OFFDAYS)};
    for (std::int32_t i = 0; i < grid.Cells(); ++i) {
        const GoalPanelFigures figures = GoalFigures(setting, goals, i, calendar, nowDays, todayText);
        if (!ShowsGoal(figures)) continue;
        const Point at = PanelCellOrigin(i, grid, setting.SR, h, S.dpi());
        reading.panels.push_back(
            {i, figures.title, PanelDescription(figures), {at.x, at.y, at.x + S(kCellWidth), at.y + S(kCellHeight)}});
    }
    return reading;
}

ReadingChanges CompareReadings(const GadgetReading& before, const GadgetReading& after) {
    ReadingChanges changes;
    changes.name = before.name != after.name;
    bool sameCells = before.panels.size() == after.panels.size();
    for (std::size_t i = 0; sameCells && i < after.panels.size(); ++i) {
        sameCells = before.panels[i].cell == after.panels[i].cell;
    }
    if (!sameCells) {
        changes.children = true;
        return changes;
    }
    CollectChanged(before, after, &PanelReading::name, changes.panelNames);
    CollectChanged(before, after, &PanelReading::description, changes.panelDescriptions);
    CollectChanged(before, after, &PanelReading::bounds, changes.panelBounds);
    return changes;
}

}  // namespace kestrival
