#include "app/gadget_rules.h"

#include <gtest/gtest.h>

#include "support/message_dialogs.h"
#include "tests/common/fakes.h"

namespace kestrival {
namespace {

TEST(GadgetRulesTest, VersionGate) {
    const std::tuple<int, int, bool> cases[] = {
        {5, 0, false}, {5, 1, true}, {5, 2, false}, {4, 10, false}, {6, 0, true}, {6, 1, true}, {10, 0, true},
    };
    for (const auto& [major, minor, passes] : cases) EXPECT_EQ(PassesVersionGate(major, minor), passes);
}

TEST(GadgetRulesTest, TimerInterval) {
    EXPECT_EQ(TimerInterval(u"23:56"), 60000);
    EXPECT_EQ(TimerInterval(u"23:57"), 600);
    EXPECT_EQ(TimerInterval(u"23:59"), 600);
    EXPECT_EQ(TimerInterval(u"00:00"), 60000);
    EXPECT_EQ(TimerInterval(u"12:00"), 60000);
}

TEST(GadgetRulesTest, CaptionRows) {
    EXPECT_TRUE(IsCaptionRow(121, 100, 22));
    EXPECT_FALSE(IsCaptionRow(122, 100, 22));
    EXPECT_TRUE(IsCaptionRow(-1000 + 21, -1000, 22));  // a monitor above the primary one
    EXPECT_FALSE(IsCaptionRow(-1000 + 22, -1000, 22));
    EXPECT_FALSE(IsCaptionRow(5, 0, 0));  // before the first paint: no drag zone
}

TEST(GadgetRulesTest, SettingsDialogTagTellsAMovedWindow) {
    EXPECT_EQ(SettingsDialogTag({5, 6}, {5, 6}), 1);
    EXPECT_EQ(SettingsDialogTag({5, 7}, {5, 6}), 0);
    EXPECT_EQ(SettingsDialogTag({4, 6}, {5, 6}), 0);
}

TEST(GadgetRulesTest, MovedWindowRule) {
    ExecuteSetting setting;
    setting.HB = 1;
    setting.DX = 10;
    setting.VB = 2;
    setting.DY = 7;
    EXPECT_FALSE(ApplyMovedWindowRule(setting, {500, 300}, {500, 300}));
    EXPECT_EQ(setting.HB, 1);
    EXPECT_EQ(setting.VB, 2);
    EXPECT_TRUE(ApplyMovedWindowRule(setting, {510, 300}, {500, 300}));
    EXPECT_EQ(setting.HB, 0);
    EXPECT_EQ(setting.DX, 510);
    EXPECT_EQ(setting.VB, 0);
    EXPECT_EQ(setting.DY, 300);
}

TEST(MessageDialogsTest, MessageBoxesBelowVersionSix) {
    RecordingBackend backend;
    backend.answer = 6;  // Yes
    InitMessageDialogs(5, &backend);
    ShowNotice(u"n", NoticeKind::kInformation);
    EXPECT_EQ(AskYesNo(u"q", Answer::kNo), Answer::kYes);
    ASSERT_EQ(backend.requests.size(), 2u);
    EXPECT_EQ(backend.requests[0].kind, DialogKind::kMessageBox);
    EXPECT_EQ(backend.requests[0].caption, u"Kestrival");
    EXPECT_EQ(backend.requests[0].boxFlags, kMbIconInformation);
    EXPECT_EQ(backend.requests[1].boxFlags, kMbDefButton2 | kMbYesNo);  // No preselected, no icon
    backend.answer = 7;                                                 // No
    EXPECT_EQ(AskYesNo(u"q", Answer::kNo), Answer::kNo);
    AskYesNo(u"q", Answer::kYes);
    EXPECT_EQ(backend.requests.back().boxFlags, kMbYesNo);  // Yes preselected
}

TEST(MessageDialogsTest, TaskDialogsFromVersionSix) {
    RecordingBackend backend;
    InitMessageDialogs(6, &backend);
    ShowNotice(u"n", NoticeKind::kPlain);  // any kind gives the information icon and OK
    const DialogRequest notice = backend.requests.back();
    EXPECT_EQ(notice.kind, DialogKind::kTaskDialog);
    EXPECT_TRUE(notice.informationIcon);
    EXPECT_EQ(notice.buttons, DialogButtons::kOk);
    for (int i = 0; i < 2; ++i) {
        backend.answer = 0;  // Esc or the close box
        EXPECT_EQ(AskYesNo(u"q", Answer::kNo), Answer::kNo);
        EXPECT_EQ(backend.requests.back().buttons, DialogButtons::kYesNo);
        EXPECT_EQ(backend.requests.back().defaultAnswer, Answer::kNo);
    }
    InitMessageDialogs(6, nullptr);
}

TEST(MessageDialogsTest, FallbackMessageBoxKeepsTheRequestedDefault) {
    InitMessageDialogs(6, nullptr);
    EXPECT_EQ(FallbackBoxFlags(QuestionRequest(u"q", Answer::kNo)), kMbYesNo | kMbDefButton2 | kMbIconInformation);
    EXPECT_EQ(FallbackBoxFlags(QuestionRequest(u"q", Answer::kYes)), kMbYesNo | kMbIconInformation);
    EXPECT_EQ(FallbackBoxFlags(NoticeRequest(u"n", NoticeKind::kPlain)), kMbIconInformation);
    InitMessageDialogs(5, nullptr);
    EXPECT_EQ(FallbackBoxFlags(QuestionRequest(u"q", Answer::kNo)), kMbYesNo | kMbDefButton2);
    EXPECT_EQ(FallbackBoxFlags(NoticeRequest(u"n", NoticeKind::kPlain)), 0u);
    InitMessageDialogs(6, nullptr);
}

}  // namespace
}  // namespace kestrival
