// The gadget in this process read through MSAA, as a screen reader reads it: the panels' places
// and the hit test, the changes announced as events after a paint pass that the test drives, and
// an object a reader still holds after the window is gone.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "app/win32/environment.h"
#include "app/win32/gadget_window.h"
#include "support/text.h"
#include "support/win32/clock.h"
#include "support/win32/wide_text.h"
#include "tests/common/win32/accessible_reader.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival {
namespace {

using e2e::PumpMessages;
using e2e::ReadAccessible;

struct WinEvent {
    DWORD event;
    LONG child;
};
std::vector<WinEvent> events;
void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT) events.push_back({event, child});
}

class GadgetAccessibleTest : public ::testing::Test {
protected:
    GadgetAccessibleTest() {
        setting_.ReadValues(clock_.Now().date, goals_);
        setting_.Style = ChooseRenderStyle(6);
        setting_.TITLE = u"目標";
        setting_.DVIEW = 1;
        setting_.CL = 2;
        setting_.RW = 2;
        setting_.SR = 1;
        goals_.Clear();
        goals_.Add(u"試験,2020/01/01,2099/01/01");
        goals_.Add(u"");
        goals_.Add(u"禁煙,2020/06/01,");
    }
    std::unique_ptr<MainForm> Show() {
        auto form = MainForm::Create(::GetModuleHandleW(nullptr), setting_, goals_, clock_, environment_,
                                     [](HWND, std::int32_t) { return 2; });
        if (form) ::ShowWindow(form->hwnd(), SW_SHOWNOACTIVATE);
        PumpMessages();
        return form;
    }
    std::int32_t DaysTo(CivilDate date) const {
        return static_cast<std::int32_t>(DayNumber(date) - DaysOf(clock_.Now()));
    }

    e2e::ComApartment com_;
    const Win32Clock clock_;
    const Win32Environment environment_;
    ExecuteSetting setting_;
    GoalList goals_;
};

TEST_F(GadgetAccessibleTest, TheTitleBandAndEveryGoalWithItsNumbersAndPlace) {
    const auto form = Show();
    ASSERT_TRUE(form);
    const auto read = ReadAccessible(form->hwnd());
    ASSERT_EQ(read.result, S_OK);
    const std::wstring today = Wide(DateText(clock_.Now().date));
    EXPECT_EQ(read.self.name, L"目標、" + today);
    EXPECT_EQ(read.self.role, ROLE_SYSTEM_CLIENT);
    ASSERT_EQ(read.children.size(), 2u) << "the empty second cell is no panel";
    EXPECT_EQ(read.children[0].id, 1);
    EXPECT_EQ(read.children[0].name, L"試験");
    EXPECT_EQ(read.children[0].value, Wide(FormatText(u"2020/01/01 から 2099/01/01、経過 %d 日、残り %d 日",
                                                      {-DaysTo({2020, 1, 1}), DaysTo({2099, 1, 1})})));
    EXPECT_EQ(read.children[1].name, L"禁煙");
    EXPECT_EQ(read.children[1].value,
              L"2020/06/01 から " + today + Wide(FormatText(u"、経過 %d 日", {-DaysTo({2020, 6, 1})})));
    for (const auto& panel : read.children) EXPECT_EQ(panel.role, ROLE_SYSTEM_STATICTEXT);

    // Across first: the third cell starts the second row, under the first.
    RECT window{};
    ::GetWindowRect(form->hwnd(), &window);
    const RECT first = read.children[0].place, third = read.children[1].place;
    EXPECT_GE(first.left, window.left);
    EXPECT_GE(first.top, window.top);
    EXPECT_LE(third.right, window.right);
    EXPECT_LE(third.bottom, window.bottom);
    EXPECT_EQ(third.left, first.left);
    EXPECT_GT(third.top, first.bottom - 1);
    EXPECT_EQ(e2e::HitTest(form->hwnd(), {(third.left + third.right) / 2, (third.top + third.bottom) / 2}), 2);
    EXPECT_EQ(e2e::HitTest(form->hwnd(), {window.left + 2, window.top + 2}), CHILDID_SELF);
}

TEST_F(GadgetAccessibleTest, ChangesAreAnnouncedAndAnObjectHeldPastTheWindowFailsSafely) {
    auto form = Show();
    ASSERT_TRUE(form);
    IAccessible* held = nullptr;
    ASSERT_EQ(::AccessibleObjectFromWindow(form->hwnd(), static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                           reinterpret_cast<void**>(&held)),
              S_OK);
    HWINEVENTHOOK hook = ::SetWinEventHook(EVENT_OBJECT_REORDER, EVENT_OBJECT_VALUECHANGE, nullptr, OnWinEvent,
                                           ::GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_TRUE(hook);
    events.clear();

    // Paint passes are driven by a clock change, which repaints as the timer does without asking
    // for session notices (another test here checks those are asked for at the first timer pass).
    // A pass with nothing changed says nothing; a new end date changes the first panel's value,
    // a new title the window's name.
    ::SendMessageW(form->hwnd(), WM_TIMECHANGE, 0, 0);
    PumpMessages();
    EXPECT_TRUE(events.empty());
    goals_.Clear();
    goals_.Add(u"試験,2020/01/01,2098/01/01");
    goals_.Add(u"");
    goals_.Add(u"禁煙,2020/06/01,");
    setting_.TITLE = u"新";
    ::SendMessageW(form->hwnd(), WM_TIMECHANGE, 0, 0);
    PumpMessages();
    auto announced = [](DWORD event, LONG child) {
        for (const WinEvent& e : events) {
            if (e.event == event && e.child == child) return true;
        }
        return false;
    };
    EXPECT_TRUE(announced(EVENT_OBJECT_NAMECHANGE, CHILDID_SELF));
    EXPECT_TRUE(announced(EVENT_OBJECT_VALUECHANGE, 1));
    EXPECT_FALSE(announced(EVENT_OBJECT_VALUECHANGE, 2));
    BSTR name = nullptr;
    VARIANT self;
    ::VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    ASSERT_EQ(held->get_accName(self, &name), S_OK);
    EXPECT_EQ(std::wstring(name), L"新、" + Wide(DateText(clock_.Now().date)));
    ::SysFreeString(name);

    // A third goal fills the empty cell: the children change as a whole.
    events.clear();
    goals_.Clear();
    for (const char16_t* line : {u"a,2020/01/01,2099/01/01", u"b,2020/01/01,", u"c,2020/06/01,"}) goals_.Add(line);
    ::SendMessageW(form->hwnd(), WM_TIMECHANGE, 0, 0);
    PumpMessages();
    EXPECT_TRUE(announced(EVENT_OBJECT_REORDER, CHILDID_SELF));
    LONG count = 0;
    EXPECT_EQ(held->get_accChildCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    ::UnhookWinEvent(hook);

    // A reader may hold the object after the window is gone: it answers, and nothing crashes.
    form.reset();
    name = nullptr;
    EXPECT_EQ(held->get_accName(self, &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(name, nullptr);
    EXPECT_EQ(held->get_accChildCount(&count), RPC_E_DISCONNECTED);
    held->Release();
}

}  // namespace
}  // namespace kestrival
