// The gadget's context menu as the gadget builds it: its items, captions, separators and commands.
#include "app/win32/gadget_menu.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "app/win32/gadget_ids.h"
#include "support/ui_texts.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

struct Item {
    const wchar_t* caption;  // null: separator
    UINT command;            // 0 for the submenu
};

// The items of a menu, their captions and commands, and which carry a check or radio mark.
void ExpectItems(HMENU menu, const std::vector<Item>& expected, const std::vector<bool>& marked) {
    ASSERT_EQ(::GetMenuItemCount(menu), static_cast<int>(expected.size()));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        wchar_t text[64] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_STATE | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 64;
        ASSERT_TRUE(::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        if (expected[i].caption) {
            EXPECT_EQ(std::wstring(text), expected[i].caption);
            EXPECT_TRUE(expected[i].command ? info.wID == expected[i].command : info.hSubMenu != nullptr) << i;
            EXPECT_EQ((info.fState & MFS_CHECKED) != 0, i < marked.size() && marked[i]) << i;
        } else {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << i;
        }
    }
}

TEST(GadgetMenuTest, ItemsCaptionsSeparatorsAndMarks) {
    GadgetMenuState state{Stacking::kOnDesktop, true, false};
    state.notificationIcon = true;
    state.monitors = {u"&1  1920 × 1080 (メイン)", u"&2  2560 × 1440"};
    state.monitor = 1;
    const HMENU menu = BuildGadgetMenu(state);
    ASSERT_TRUE(menu);
    ExpectItems(menu,
                {
                    {L"Kestrival 設定(&S)", kCommandSettings},
                    {L"サポートサイト(&P)", kCommandSupport},
                    {nullptr, 0},
                    {L"重ね順(&Z)", 0},
                    {L"表示するモニター(&M)", 0},
                    {L"位置を固定(&L)", kCommandLockPosition},
                    {L"クリックを透過(&T)", kCommandClickThrough},
                    {L"全画面表示のときは隠す(&F)", kCommandHideUnderFullScreen},
                    {L"通知領域に表示(&I)", kCommandNotificationIcon},
                    {L"Windows の起動時に開始(&W)", kCommandStartWithWindows},
                    {nullptr, 0},
                    {L"終了(&X)", kCommandQuit},
                },
                {false, false, false, false, false, true, false, false, true, false});
    ExpectItems(::GetSubMenu(menu, 3),
                {
                    {L"通常(&N)", kCommandStackOrdinary},
                    {L"常に手前(&T)", kCommandStackOnTop},
                    {L"デスクトップ(&D)", kCommandStackOnDesktop},
                },
                {false, false, true});
    ExpectItems(::GetSubMenu(menu, 4),
                {
                    {L"&1  1920 × 1080 (メイン)", kCommandMonitorFirst},
                    {L"&2  2560 × 1440", kCommandMonitorFirst + 1},
                },
                {false, true});
    ::DestroyMenu(menu);
}

TEST(GadgetMenuTest, TheIconsItemIsUnavailableWithoutANotificationArea) {
    GadgetMenuState state;
    state.notificationAreaExists = false;
    const HMENU menu = BuildGadgetMenu(state);
    ASSERT_TRUE(menu);
    EXPECT_TRUE(::GetMenuState(menu, kCommandNotificationIcon, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(::GetMenuState(menu, kCommandLockPosition, MF_BYCOMMAND) & MF_GRAYED);
    ::DestroyMenu(menu);
}

}  // namespace
}  // namespace kestrival
