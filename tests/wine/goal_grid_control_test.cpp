// The goal grid control in this process: Japanese text arriving through the input method's
// interface and as a burst of characters ends up whole in the cell; a long title and its row's
// counting-choice marks drawn side by side at every display scale.
#include "settings/dialog/win32/goal_grid_control.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <imm.h>

#include <string>
#include <vector>

#include "settings/count_choices.h"
#include "support/display_scale.h"
#include "tests/common/win32/wine_helpers.h"

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

// Draws the grid on the screen at a display scale, with the grid's font made for it, and reads its
// rows back. Row 1 holds a title far longer than its column on a row with all three choices and a
// reminder; row 2 the marks alone; row 3 the same title alone.
class GoalGridMarksTest : public ::testing::TestWithParam<int> {
protected:
    static constexpr const char16_t* kLongTitle = u"国家試験の出願締切と受験票の到着まで";

    void SetUp() override {
        const Scaler S(GetParam());
        font_ = ::CreateFontW(-::MulDiv(9, GetParam(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0,
                              0, 0, 0, L"Noto Sans CJK JP");
        ASSERT_TRUE(font_);
        parent_ = ::CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, S(320), S(200), nullptr,
                                    nullptr, ::GetModuleHandleW(nullptr), nullptr);
        grid_.Cell(kTitleColumn, 1) = kLongTitle;
        grid_.Cell(kTitleColumn, 3) = kLongTitle;
        for (int row : {1, 2}) {
            grid_.Choices(row) = ParseCountChoices(u"TWY");
            grid_.Reminders(row).choices = ParseReminderChoices(u"0");
        }
        grid_.row = 6;  // the current cell's highlight stays off the rows read
        control_ = std::make_unique<GoalGridControl>(
            parent_, 101, RECT{0, 0, S(310), S(190)}, font_, grid_,
            [] {
                return CivilDate{2026, 12, 10};
            },
            GetParam());
        ::UpdateWindow(control_->hwnd());
        e2e::PumpMessages();
        RECT client{};
        ::GetClientRect(control_->hwnd(), &client);
        POINT origin{0, 0};
        ::ClientToScreen(control_->hwnd(), &origin);
        width_ = client.right;
        pixels_ = e2e::ScreenPixels({origin.x, origin.y, origin.x + client.right, origin.y + client.bottom});
    }
    void TearDown() override {
        control_.reset();
        if (parent_) ::DestroyWindow(parent_);
        if (font_) ::DeleteObject(font_);
    }

    std::uint32_t Pixel(int x, int y) const {
        return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
    }
    // The columns of a row's title cell that carry any ink.
    std::vector<bool> InkColumns(int row) const {
        const GridLayout layout = GridLayout::AtDpi(GetParam());
        const Rect cell = layout.CellRect(kTitleColumn, row, 1);
        const COLORREF window = ::GetSysColor(COLOR_WINDOW);
        const std::uint32_t background = (GetRValue(window) << 16) | (GetGValue(window) << 8) | GetBValue(window);
        std::vector<bool> ink(static_cast<std::size_t>(cell.right), false);
        for (int x = cell.left; x < cell.right; ++x) {
            for (int y = cell.top; y < cell.bottom; ++y) {
                if (Pixel(x, y) != background) ink[static_cast<std::size_t>(x)] = true;
            }
        }
        return ink;
    }
    // How wide the marks' ink is when drawn alone, unclipped, in the grid's font.
    int MarksInkWidth() const {
        const std::wstring marks(
            reinterpret_cast<const wchar_t*>(GoalMarks(ParseCountChoices(u"TWY"), ParseReminderChoices(u"0")).c_str()));
        HDC screen = ::GetDC(nullptr);
        HDC dc = ::CreateCompatibleDC(screen);
        HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 600, 200);
        HGDIOBJ oldBitmap = ::SelectObject(dc, bitmap);
        HGDIOBJ oldFont = ::SelectObject(dc, font_);
        RECT all{0, 0, 600, 200};
        ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
        ::SetBkMode(dc, TRANSPARENT);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::TextOutW(dc, 50, 50, marks.c_str(), static_cast<int>(marks.size()));
        int first = -1, last = -1;
        for (int x = 0; x < 600; ++x) {
            for (int y = 0; y < 200; ++y) {
                if (::GetPixel(dc, x, y) != RGB(255, 255, 255)) {
                    if (first < 0) first = x;
                    last = x;
                    break;
                }
            }
        }
        ::SelectObject(dc, oldFont);
        ::SelectObject(dc, oldBitmap);
        ::DeleteObject(bitmap);
        ::DeleteDC(dc);
        ::ReleaseDC(nullptr, screen);
        return first < 0 ? 0 : last - first + 1;
    }

    HFONT font_ = nullptr;
    HWND parent_ = nullptr;
    GoalGrid grid_;
    std::unique_ptr<GoalGridControl> control_;
    int width_ = 0;
    std::vector<std::uint32_t> pixels_;
};

TEST_P(GoalGridMarksTest, LongTitleAndAllThreeMarksAreBothWholeAndApart) {
    const Rect cell = GridLayout::AtDpi(GetParam()).CellRect(kTitleColumn, 1, 1);
    // The marks alone: where they are, and that all of them are there.
    const std::vector<bool> marksOnly = InkColumns(2);
    int marksLeft = -1, marksRight = -1;
    for (int x = cell.left; x < cell.right; ++x) {
        if (!marksOnly[static_cast<std::size_t>(x)]) continue;
        if (marksLeft < 0) marksLeft = x;
        marksRight = x;
    }
    ASSERT_GE(marksLeft, 0) << "no marks drawn";
    EXPECT_EQ(marksRight - marksLeft + 1, MarksInkWidth()) << "the marks are cut";
    EXPECT_LT(marksRight, cell.right - 1) << "the marks touch the column's line";

    // With the long title beside them the marks look the same, pixel for pixel: nothing of the
    // title lies on them.
    const GridLayout layout = GridLayout::AtDpi(GetParam());
    const Rect row1 = layout.CellRect(kTitleColumn, 1, 1), row2 = layout.CellRect(kTitleColumn, 2, 1);
    for (int x = marksLeft; x <= marksRight; ++x) {
        for (int y = 0; y < row1.bottom - row1.top; ++y) {
            ASSERT_EQ(Pixel(x, row1.top + y), Pixel(x, row2.top + y)) << "at " << x << "," << y;
        }
    }
    // The title ends with blank columns before the first mark, and still has most of the column.
    const std::vector<bool> titled = InkColumns(1);
    int titleLeft = -1, titleRight = -1;
    for (int x = cell.left; x < marksLeft; ++x) {
        if (!titled[static_cast<std::size_t>(x)]) continue;
        if (titleLeft < 0) titleLeft = x;
        titleRight = x;
    }
    ASSERT_GE(titleLeft, 0) << "no title drawn";
    EXPECT_GE(marksLeft - titleRight - 1, Scaler(GetParam())(2)) << "the title runs into the marks";
    EXPECT_GE(titleRight - titleLeft, (cell.right - cell.left) / 2) << "the title has too little room";
    // The same title without marks uses more of the column: the marks shortened it, not its column.
    const std::vector<bool> plain = InkColumns(3);
    int plainRight = -1;
    for (int x = cell.left; x < cell.right; ++x) {
        if (plain[static_cast<std::size_t>(x)]) plainRight = x;
    }
    EXPECT_GT(plainRight, marksLeft);
}

INSTANTIATE_TEST_SUITE_P(DisplayScales, GoalGridMarksTest, ::testing::Values(96, 144, 192),
                         [](const ::testing::TestParamInfo<int>& scale) {
                             return std::to_string(scale.param) + "dpi";
                         });

}  // namespace
}  // namespace kestrival
