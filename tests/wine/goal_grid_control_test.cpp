// The goal grid control in this process: Japanese text arriving through the input method's
// interface and as a burst of characters ends up whole in the cell.
#include "settings/dialog/win32/goal_grid_control.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <imm.h>

#include <string>

namespace kestrival {
namespace {

constexpr const wchar_t* kTyped = L"目標テスト";

class GoalGridControlTest : public ::testing::Test {
protected:
    GoalGridControlTest() {
        parent_ = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 320, 500, nullptr, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        grid_.Cell(kTitleColumn, 1) = u"old title";
        control_ = std::make_unique<GoalGridControl>(parent_, 100, RECT{0, 0, 310, 480},
                                                     static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)), grid_, [] {
                                                         return CivilDate{2026, 12, 10};
                                                     });
        ::SetForegroundWindow(parent_);
        ::SetFocus(control_->hwnd());
        Pump();
    }
    ~GoalGridControlTest() override {
        control_.reset();
        ::DestroyWindow(parent_);
    }
    static void Pump() {
        for (int i = 0; i < 20; ++i) {
            MSG message{};
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
            ::Sleep(10);
        }
    }
    std::u16string TitleCell() {
        control_->TakeEditorText();
        return grid_.Cell(kTitleColumn, 1);
    }

    HWND parent_ = nullptr;
    GoalGrid grid_;
    std::unique_ptr<GoalGridControl> control_;
};

TEST_F(GoalGridControlTest, BurstOfCharactersReplacesTheCellOnceAndKeepsEveryCharacter) {
    for (const wchar_t* c = kTyped; *c; ++c) ::PostMessageW(control_->hwnd(), WM_CHAR, *c, 0);
    Pump();
    EXPECT_TRUE(grid_.editorOpen);
    EXPECT_EQ(TitleCell(), u"目標テスト");
}

TEST_F(GoalGridControlTest, InputMethodCompositionLandsInTheCellsEditor) {
    const HIMC context = ::ImmGetContext(control_->hwnd());
    ASSERT_TRUE(context);
    const DWORD bytes = static_cast<DWORD>(std::wstring(kTyped).size() * sizeof(wchar_t));
    ASSERT_TRUE(::ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(kTyped), bytes, nullptr, 0));
    Pump();
    EXPECT_TRUE(grid_.editorOpen);  // the composition started on the grid opened the editor
    ::ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_COMPLETE, 0);
    ::ImmReleaseContext(control_->hwnd(), context);
    Pump();
    EXPECT_EQ(TitleCell(), u"目標テスト");
}

TEST_F(GoalGridControlTest, ACancelledCompositionLeavesTheCellAsItWas) {
    const HIMC context = ::ImmGetContext(control_->hwnd());
    ASSERT_TRUE(context);
    const DWORD bytes = static_cast<DWORD>(std::wstring(kTyped).size() * sizeof(wchar_t));
    ASSERT_TRUE(::ImmSetCompositionStringW(context, SCS_SETSTR, const_cast<wchar_t*>(kTyped), bytes, nullptr, 0));
    Pump();
    ASSERT_TRUE(grid_.editorOpen);
    ::ImmNotifyIME(context, NI_COMPOSITIONSTR, CPS_CANCEL, 0);  // the user pressed Esc in the input method
    ::ImmReleaseContext(control_->hwnd(), context);
    Pump();
    EXPECT_FALSE(grid_.editorOpen);
    ::SetFocus(parent_);  // the focus leaves the grid, as a click on OK does
    Pump();
    EXPECT_EQ(grid_.Cell(kTitleColumn, 1), u"old title");
}

}  // namespace
}  // namespace kestrival
