// The gadget and its settings dialog on displays of 125 %, 150 % and 200 %: the prefix's DPI is set
// before the gadget starts, and put back to 96 afterwards.
#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/dialog/win32/setup_form_ids.h"
#include "support/display_scale.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival::e2e {
namespace {

void SetPrefixDpi(DWORD dpi) {
    const struct {
        HKEY root;
        const wchar_t* path;
    } keys[] = {{HKEY_CURRENT_USER, L"Control Panel\\Desktop"},
                {HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"}};
    for (const auto& k : keys) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(k.root, k.path, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
            continue;
        }
        ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
        ::RegCloseKey(key);
    }
}

bool Greenish(std::uint32_t p) { return ((p >> 8) & 0xFF) > 0x80 && (p >> 16) < 0x40; }
bool Yellowish(std::uint32_t p) { return (p >> 16) > 0x80 && ((p >> 8) & 0xFF) > 0x80 && (p & 0xFF) < 0x40; }

class DisplayScaleTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        DeleteTree(DocumentsFolder() + L"\\ZKFILES");
        SetPrefixDpi(static_cast<DWORD>(GetParam()));
    }
    void TearDown() override {
        SetPrefixDpi(96);
        DeleteTree(DocumentsFolder() + L"\\ZKFILES");
    }
};

TEST_P(DisplayScaleTest, GadgetAndDialogAreTheDesignScaledWithEveryTextWhole) {
    const Scaler S(GetParam());
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    ::Sleep(500);
    RECT r{};
    ::GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    // The default gadget is 168 x 96 at 96 DPI; its height follows the font's, within a pixel or two.
    EXPECT_NEAR(width, S(168), 1);
    EXPECT_NEAR(height, S(96), 3);

    const std::vector<std::uint32_t> pixels = ScreenPixels(r);
    auto at = [&](int x, int y) { return pixels[static_cast<std::size_t>(y * width + x)]; };
    // The panel's frame at its scaled left edge, as thick as a scaled line, the background inside.
    const int middle = height - S(30);
    EXPECT_EQ(at(S(4), middle), 0xEEEEEEu);
    EXPECT_EQ(at(S(4) + S(1) - 1, middle), 0xEEEEEEu);
    EXPECT_EQ(at(S(4) + S(1), middle), 0x000000u);
    EXPECT_EQ(at(S(4) + S(160) - 1, middle), 0xEEEEEEu);
    // In every row with both, the start date's (and elapsed days') ink ends before the end date's
    // (and days left') ink begins.
    int rowsWithBoth = 0;
    for (int y = 0; y < height; ++y) {
        int lastGreen = -1, firstYellow = width;
        for (int x = 0; x < width; ++x) {
            if (Greenish(at(x, y))) lastGreen = x;
            if (Yellowish(at(x, y)) && x < firstYellow) firstYellow = x;
        }
        if (lastGreen < 0 || firstYellow == width) continue;
        ++rowsWithBoth;
        EXPECT_LT(lastGreen, firstYellow) << "row " << y;
    }
    EXPECT_GT(rowsWithBoth, S(10));
    // Everything drawn inside the window: the bottom frame line is the last row.
    EXPECT_EQ(at(width / 2, height - 1), 0xEEEEEEu);

    HWND dialog = OpenSettingsDialog(gadget, window);
    ASSERT_TRUE(dialog);
    RECT client{};
    ::GetClientRect(dialog, &client);
    EXPECT_NEAR(client.right, S(596), 1);
    EXPECT_NEAR(client.bottom, S(528), 1);
    RECT grid{};
    ::GetWindowRect(::GetDlgItem(dialog, setup_ids::SGdata), &grid);
    EXPECT_NEAR(grid.right - grid.left, S(300), 1);
    ::PostMessageW(::GetDlgItem(dialog, setup_ids::BTcancel), BM_CLICK, 0, 0);
    for (int i = 0; i < 100 && ::IsWindowVisible(dialog); ++i) ::Sleep(50);
    EXPECT_EQ(gadget.CloseAndWait(), 0);
}

INSTANTIATE_TEST_SUITE_P(Scales, DisplayScaleTest, ::testing::Values(120, 144, 192));

}  // namespace
}  // namespace kestrival::e2e
