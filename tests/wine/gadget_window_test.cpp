// The gadget window in this process: a full 15 x 10 grid is painted once before it is first seen,
// the first paint message only shows that frame, and nothing the first frame does not need is loaded
// before it.
#include "app/win32/gadget_window.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "app/win32/environment.h"
#include "app/win32/gadget_ids.h"
#include "support/text.h"
#include "support/win32/clock.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival {
namespace {

using e2e::PumpMessages;

TEST(GadgetWindowTest, AFullGridIsPaintedOnceBeforeItIsFirstSeen) {
    const Win32Clock clock;
    const Win32Environment environment;
    ExecuteSetting setting;
    GoalList goals;
    setting.ReadValues(clock.Now().date, goals);
    setting.Style = ChooseRenderStyle(6);
    setting.CL = 15;
    setting.RW = 10;
    goals.Clear();
    for (int i = 0; i < 150; ++i) goals.Add(FormatText(u"目標%d,2026/01/01,2030/12/31", {i}));
    const auto form = MainForm::Create(::GetModuleHandleW(nullptr), setting, goals, clock, environment,
                                       [](HWND, std::int32_t) { return 2; });
    ASSERT_TRUE(form);
    EXPECT_EQ(form->PaintPasses(), 1) << "painted while hidden";

    ::ShowWindow(form->hwnd(), SW_SHOWNOACTIVATE);
    ::UpdateWindow(form->hwnd());
    PumpMessages();
    RECT unpainted{};
    EXPECT_FALSE(::GetUpdateRect(form->hwnd(), &unpainted, FALSE)) << "the first paint message was handled";
    EXPECT_EQ(form->PaintPasses(), 1) << "the first paint message only shows the frame";
    EXPECT_FALSE(::GetModuleHandleW(L"wtsapi32.dll")) << "session notices are asked for at the first timer pass";

    // Later paint messages (the window uncovered) paint again, and so does the timer.
    ::InvalidateRect(form->hwnd(), nullptr, FALSE);
    ::UpdateWindow(form->hwnd());
    EXPECT_EQ(form->PaintPasses(), 2);
    ::SendMessageW(form->hwnd(), WM_TIMER, kRepaintTimerId, 0);
    EXPECT_EQ(form->PaintPasses(), 3);
    EXPECT_TRUE(::GetModuleHandleW(L"wtsapi32.dll"));
}

}  // namespace
}  // namespace kestrival
