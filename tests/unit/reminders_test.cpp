// Reminders of goals: the day each is due, the one shown after days the machine was off, the
// record that keeps one from being shown twice, and what a reminder says.
#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "app/reminders.h"
#include "settings/dialog/count_menu.h"
#include "settings/dialog/setup_dialog.h"
#include "support/message_dialogs.h"
#include "support/text.h"
#include "tests/common/fakes.h"

namespace kestrival {
namespace {

std::int32_t Day(std::int32_t y, std::int32_t m, std::int32_t d) { return DayNumber({y, m, d}); }

GoalReminders Reminders(std::u16string_view days, std::optional<CivilDate> shown = std::nullopt) {
    GoalReminders reminders{ParseReminderChoices(days), std::nullopt};
    if (shown) reminders.shownDay = DayNumber(*shown);
    return reminders;
}

struct DueCase {
    const char* name;
    const char16_t* line;
    const char16_t* counting;
    const char16_t* days;
    std::optional<CivilDate> shown;
    CivilDate today;
    std::optional<CivilDate> end;  // nothing: no reminder is due
    std::int32_t daysBefore;
};

TEST(RemindersTest, TheDayOfEachChoice) {
    const CivilDate today{2026, 12, 11};
    const DueCase cases[] = {
        {"on the end date", u"t,2026/01/01,2026/12/11", u"", u"0", {}, today, CivilDate{2026, 12, 11}, 0},
        {"the day before", u"t,,2026/12/12", u"", u"1", {}, today, CivilDate{2026, 12, 12}, 1},
        {"a week before", u"t,,2026/12/18", u"", u"7", {}, today, CivilDate{2026, 12, 18}, 7},
        {"30 days before, across a year", u"t,,2027/01/10", u"", u"30", {}, today, CivilDate{2027, 1, 10}, 30},
        {"not yet", u"t,,2026/12/19", u"", u"1,7", {}, today, {}, 0},
        {"the latest of those due", u"t,,2026/12/15", u"", u"1,7,30", {}, today, CivilDate{2026, 12, 15}, 7},
        {"the latest was shown", u"t,,2026/12/15", u"", u"7,30", CivilDate{2026, 12, 8}, today, {}, 0},
        {"an earlier one was shown", u"t,,2026/12/15", u"", u"7,30", CivilDate{2026, 11, 15}, today,
         CivilDate{2026, 12, 15}, 7},
        {"shown today", u"t,,2026/12/11", u"", u"0", CivilDate{2026, 12, 11}, today, {}, 0},
        {"the end has passed", u"t,,2026/12/10", u"", u"0,1,7,30", {}, today, {}, 0},
        {"no end date", u"t,2026/01/01,", u"", u"0", {}, today, {}, 0},
        {"an end that is no date", u"t,,2026/13/01", u"", u"0", {}, today, {}, 0},
        {"no reminders", u"t,,2026/12/11", u"", u"", {}, today, {}, 0},
        {"blanks around the end", u"t,, 2026/12/11 ", u"", u"0", {}, today, CivilDate{2026, 12, 11}, 0},
        {"yearly: this year's end", u"b,2000/12/11,2000/12/11", u"Y", u"0", {}, today, CivilDate{2026, 12, 11}, 0},
        {"yearly: last year's was shown", u"b,,2025/12/20", u"Y", u"30", CivilDate{2025, 11, 20}, today,
         CivilDate{2026, 12, 20}, 30},
        {"yearly: this year's was shown", u"b,,2025/12/20", u"Y", u"30", CivilDate{2026, 11, 20}, today, {}, 0},
        {"yearly: an end still ahead", u"b,,2030/01/01", u"Y", u"0", {}, today, {}, 0},
        {"yearly: next year's comes round", u"b,,2020/01/05", u"Y", u"30", {}, today, CivilDate{2027, 1, 5}, 30},
        {"not yearly: last year's end", u"b,,2025/12/11", u"T", u"0", {}, today, {}, 0},
        {"29 February on the 28th", u"l,,2024/02/29", u"Y", u"0", {}, {2027, 2, 28}, CivilDate{2027, 2, 28}, 0},
        {"29 February in a leap year", u"l,,2024/02/29", u"Y", u"0,1", {}, {2028, 2, 28}, CivilDate{2028, 2, 29}, 1},
        {"29 February itself", u"l,,2024/02/29", u"Y", u"0", {}, {2028, 2, 29}, CivilDate{2028, 2, 29}, 0},
        {"the last day there is", u"t,,9999/12/31", u"", u"30", {}, {9999, 12, 1}, CivilDate{9999, 12, 31}, 30},
        {"yearly past the last year", u"t,,9999/01/01", u"Y", u"0", {}, {9999, 6, 1}, {}, 0},
    };
    for (const DueCase& c : cases) {
        SCOPED_TRACE(c.name);
        const auto due = DueReminderOf(c.line, ParseCountChoices(c.counting), Reminders(c.days, c.shown), c.today);
        ASSERT_EQ(due.has_value(), c.end.has_value());
        if (!due) continue;
        EXPECT_EQ(due->endDay, DayNumber(*c.end));
        EXPECT_EQ(due->daysBefore, c.daysBefore);
    }
}

// The passes a gadget makes (several a day, or on the days the machine was on) and the reminders
// it shows, each recorded once shown.
struct PassesCase {
    const char* name;
    std::vector<CivilDate> passes;
    std::vector<std::pair<CivilDate, std::int32_t>> shown;  // the pass's day and the reminder
};

TEST(RemindersTest, EachShownOnceAndOnlyTheLatestMissedOne) {
    ExecuteSetting setting;
    GoalList goals;
    const PassesCase cases[] = {
        {"on every day, twice a day",
         {{2026, 12, 7},
          {2026, 12, 7},
          {2026, 12, 8},
          {2026, 12, 8},
          {2026, 12, 9},
          {2026, 12, 14},
          {2026, 12, 14},
          {2026, 12, 15},
          {2026, 12, 15},
          {2026, 12, 16}},
         {{{2026, 12, 8}, 7}, {{2026, 12, 14}, 1}, {{2026, 12, 15}, 0}}},
        {"off from the 7th to the 15th", {{2026, 12, 7}, {2026, 12, 15}}, {{{2026, 12, 15}, 0}}},
        {"off from the 7th to the 13th",
         {{2026, 12, 7}, {2026, 12, 13}, {2026, 12, 15}},
         {{{2026, 12, 13}, 7}, {{2026, 12, 15}, 0}}},
        {"back after the end", {{2026, 12, 7}, {2026, 12, 16}}, {}},
        {"the clock set back", {{2026, 12, 15}, {2026, 12, 8}, {2026, 12, 15}}, {{{2026, 12, 15}, 0}}},
    };
    for (const PassesCase& c : cases) {
        SCOPED_TRACE(c.name);
        goals.Clear();
        goals.Add(u"a,,2026/12/15");
        goals.Add(u"b,,2026/12/15");  // no reminders
        setting.CNT.assign(2, {});
        setting.RMD = {Reminders(u"0,1,7"), {}};
        std::vector<std::pair<CivilDate, std::int32_t>> shown;
        for (const CivilDate& today : c.passes) {
            for (const DueReminder& due : DueReminders(setting, goals, today)) {
                EXPECT_EQ(due.goal, 0);
                shown.push_back({today, due.daysBefore});
                MarkReminderShown(setting, due.goal, today);
            }
        }
        ASSERT_EQ(shown.size(), c.shown.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(DayNumber(shown[i].first), DayNumber(c.shown[i].first)) << i;
            EXPECT_EQ(shown[i].second, c.shown[i].second) << i;
        }
    }
}

TEST(RemindersTest, ChoicesAsText) {
    const struct {
        const char16_t* read;
        const char16_t* written;
    } cases[] = {
        {u"0,1,7,30", u"0,1,7,30"},
        {u"30,7", u"7,30"},
        {u" 1 , 1,x,,99,-1,3", u"1"},
        {u"", u""},
        {u"abc", u""},
        {u"0", u"0"},
        {u"7,", u"7"},
        {u"99999999999,30", u"30"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.read));
        const ReminderChoices choices = ParseReminderChoices(c.read);
        EXPECT_EQ(ReminderChoicesText(choices), c.written);
        EXPECT_EQ(ReminderMark(choices).empty(), !choices.Any());
    }
}

TEST(RemindersTest, WhatAReminderSays) {
    ExecuteSetting setting;
    GoalList goals;
    for (const char16_t* line : {u" 試験 ,2026/01/01,2026/12/11", u",,2026/12/18", u"w,,2026/12/18", u"b,,2025/12/20"})
        goals.Add(line);
    setting.CNT = {{}, {}, ParseCountChoices(u"W"), ParseCountChoices(u"Y")};
    setting.RMD.assign(4, Reminders(u"0,7,30"));
    const CivilDate today{2026, 12, 11};  // a Friday
    const auto due = DueReminders(setting, goals, today);
    ASSERT_EQ(due.size(), 4u);
    const ReminderMessage expected[] = {
        {u"試験", u"今日が終了日です (2026/12/11)"},
        {u"Kestrival", u"残り 7 日 (2026/12/18 まで)"},
        {u"w", u"残り 5 日 (2026/12/18 まで)"},  // Friday to Thursday: five working days
        {u"b", u"残り 9 日 (2026/12/20 まで)"},  // this year's end
    };
    for (std::size_t i = 0; i < due.size(); ++i)
        EXPECT_EQ(ReminderMessageOf(setting, goals, due[i], today), expected[i]);
}

TEST(RemindersTest, APassRecordsOnlyWhatWasShown) {
    ExecuteSetting setting;
    GoalList goals;
    goals.Add(u"a,,2026/12/11");
    goals.Add(u"b,,2026/12/12");
    setting.CNT.assign(2, {});
    setting.RMD = {Reminders(u"0"), Reminders(u"1")};
    const CivilDate today{2026, 12, 11};
    std::vector<std::u16string> asked;
    // The first is shown, the second finds no way to show itself: it stays due.
    const auto firstOnly = [&asked](const ReminderMessage& message) {
        asked.push_back(message.title);
        return message.title == u"a";
    };
    EXPECT_TRUE(ShowDueReminders(setting, goals, today, firstOnly));
    EXPECT_FALSE(ShowDueReminders(setting, goals, today, firstOnly));
    EXPECT_EQ(asked, (std::vector<std::u16string>{u"a", u"b", u"b"}));
    EXPECT_EQ(setting.RMD[0].shownDay, DayNumber(today));
    EXPECT_FALSE(setting.RMD[1].shownDay.has_value());
    EXPECT_FALSE(ShowDueReminders(setting, goals, today, nullptr));
}

TEST(RemindersTest, OnlyGoalsWithRemindersCount) {
    ExecuteSetting setting;
    EXPECT_FALSE(AnyReminders(setting));
    setting.RMD.assign(3, GoalReminders{});
    setting.RMD[1].shownDay = Day(2026, 12, 1);  // a record alone reminds of nothing
    EXPECT_FALSE(AnyReminders(setting));
    setting.RMD[2].choices.Set(30, true);
    EXPECT_TRUE(AnyReminders(setting));
    // A record for a goal the list has no reminders for yet grows the list.
    MarkReminderShown(setting, 5, {2026, 12, 11});
    ASSERT_EQ(setting.RMD.size(), 6u);
    EXPECT_EQ(setting.RMD[5].shownDay, Day(2026, 12, 11));
}

TEST(RemindersTest, TheRowMenuTurnsDaysOverAndClearsThem) {
    CountChoices counting;
    ReminderChoices reminders;
    EXPECT_TRUE(RowMenuChecked(CountMenuItem::kRemindNever, counting, reminders));
    for (CountMenuItem item : {CountMenuItem::kRemindMonthBefore, CountMenuItem::kRemindOnDay,
                               CountMenuItem::kRemindWeekBefore, CountMenuItem::kRemindDayBefore,
                               CountMenuItem::kRemindDayBefore, CountMenuItem::kYearly, CountMenuItem::kRemindHeading})
        ApplyRowMenuItem(item, counting, reminders);
    EXPECT_EQ(ReminderChoicesText(reminders), u"0,7,30");
    EXPECT_EQ(CountChoicesText(counting), u"Y");
    EXPECT_TRUE(RowMenuChecked(CountMenuItem::kRemindWeekBefore, counting, reminders));
    EXPECT_FALSE(RowMenuChecked(CountMenuItem::kRemindDayBefore, counting, reminders));
    EXPECT_FALSE(RowMenuChecked(CountMenuItem::kRemindNever, counting, reminders));
    EXPECT_TRUE(RowMenuChecked(CountMenuItem::kYearly, counting, reminders));
    ApplyRowMenuItem(CountMenuItem::kRemindNever, counting, reminders);
    EXPECT_FALSE(reminders.Any());
    EXPECT_EQ(CountChoicesText(counting), u"Y");
    EXPECT_EQ(GoalMarks(counting, ParseReminderChoices(u"1")), u"毎鈴");
}

TEST(RemindersTest, RemindersAndTheirRecordMoveWithTheirRowsInTheDialog) {
    RecordingBackend backend;
    InitMessageDialogs(6, &backend);
    ExecuteSetting setting;
    GoalList goals;
    setting.ReadValues({2026, 12, 10}, goals);
    goals.Clear();
    for (const char16_t* line : {u"a,,2026/12/31", u"b,,2026/12/31", u"c,,2026/12/31"}) goals.Add(line);
    setting.CNT.assign(3, {});
    setting.RMD = {Reminders(u"0"), Reminders(u"1", CivilDate{2026, 12, 1}), Reminders(u"", CivilDate{2026, 11, 1})};
    SetupControls controls;
    FormShow(controls, setting, goals, {{1000, 300, 1200, 400}, {1920, 1080}}, 1);
    EXPECT_EQ(ReminderChoicesText(controls.SGdata.Reminders(2).choices), u"1");
    // The first row is deleted: its reminders go with it; a new row gets one.
    backend.answer = 6;  // Yes
    controls.SGdata.row = 1;
    BTdelClick(controls);
    EXPECT_EQ(controls.SGdata.Reminders(1), GoalReminders{});
    controls.SGdata.Cell(kTitleColumn, 5) = u"e";
    controls.SGdata.Cell(kEndColumn, 5) = u"2027/01/01";
    ApplyRowMenuItem(CountMenuItem::kRemindMonthBefore, controls.SGdata.Choices(5),
                     controls.SGdata.Reminders(5).choices);
    ASSERT_TRUE(BTokClick(controls, setting, goals, {2026, 12, 10}));
    EXPECT_EQ(goals.ToVector(), (std::vector<std::u16string>{u"b,,2026/12/31", u"c,,2026/12/31", u"e,,2027/01/01"}));
    EXPECT_EQ(setting.RMD, (std::vector<GoalReminders>{Reminders(u"1", CivilDate{2026, 12, 1}),
                                                       Reminders(u"", CivilDate{2026, 11, 1}), Reminders(u"30")}));
    InitMessageDialogs(6, nullptr);
}

}  // namespace
}  // namespace kestrival
