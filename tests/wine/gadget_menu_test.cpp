// The gadget's context menu as the gadget builds it: its items, captions, separators and commands.
#include "app/win32/gadget_menu.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/win32/gadget_ids.h"
#include "support/ui_texts.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

TEST(GadgetMenuTest, ItemsCaptionsAndSeparators) {
    const HMENU menu = BuildGadgetMenu();
    ASSERT_TRUE(menu);
    ASSERT_EQ(::GetMenuItemCount(menu), 5);
    struct Item {
        const wchar_t* caption;  // null: separator
        UINT command;
    };
    const Item expected[] = {
        {L"Kestrival 設定(&S)", kCommandSettings},
        {nullptr, 0},
        {L"サポートサイト(&P)", kCommandSupport},
        {nullptr, 0},
        {L"終了(&X)", kCommandQuit},
    };
    for (int i = 0; i < 5; ++i) {
        wchar_t text[64] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
        info.dwTypeData = text;
        info.cch = 64;
        ASSERT_TRUE(::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info));
        if (expected[i].caption) {
            EXPECT_EQ(std::wstring(text), expected[i].caption);
            EXPECT_EQ(info.wID, expected[i].command);
        } else {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << i;
        }
    }
    ::DestroyMenu(menu);
}

}  // namespace
}  // namespace kestrival
