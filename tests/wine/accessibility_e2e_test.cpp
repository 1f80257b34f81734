// Kestrival.exe as a screen reader reads it, from another process: the gadget's own IAccessible,
// handed over by the system, with the title band and every goal with its numbers and place.
#include <gtest/gtest.h>
#include <windows.h>

#include "settings/dialog/setup_form_table.h"
#include "support/text.h"
#include "support/win32/clock.h"
#include "support/win32/wide_text.h"
#include "tests/common/win32/accessible_reader.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival::e2e {
namespace {

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteTree(DocumentsFolder() + L"\\ZKFILES"); }
    void TearDown() override { DeleteTree(DocumentsFolder() + L"\\ZKFILES"); }
    ComApartment com_;
};

TEST_F(AccessibilityTest, AReaderInAnotherProcessFindsTheTitleBandAndEveryGoal) {
    WriteBytes(DefaultSettingsPath(), Utf16File(u"TITLE=目標\r\nDVIEW=1\r\nCL=1\r\nRW=3\r\n"
                                                u"ITEM1=試験,2020/01/01,2099/01/01\r\nITEM2=禁煙,2020/06/01,\r\n"));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    gadget.WaitIdle();
    const ReadWindow read = ReadAccessible(window);
    ASSERT_EQ(read.result, S_OK);
    const LocalDateTime now = Win32Clock().Now();
    const auto daysTo = [today = DaysOf(now)](CivilDate date) {
        return static_cast<std::int32_t>(DayNumber(date) - today);
    };
    EXPECT_EQ(read.self.name, L"目標、" + Wide(DateText(now.date)));
    ASSERT_EQ(read.children.size(), 2u);
    EXPECT_EQ(read.children[0].name, L"試験");
    EXPECT_EQ(read.children[0].value, Wide(FormatText(u"2020/01/01 から 2099/01/01、経過 %d 日、残り %d 日",
                                                      {-daysTo({2020, 1, 1}), daysTo({2099, 1, 1})})));
    EXPECT_EQ(read.children[1].name, L"禁煙");
    EXPECT_EQ(read.children[1].value, L"2020/06/01 から " + Wide(DateText(now.date)) +
                                          Wide(FormatText(u"、経過 %d 日", {-daysTo({2020, 6, 1})})));
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    for (const ReadElement& panel : read.children) {
        EXPECT_EQ(panel.role, ROLE_SYSTEM_STATICTEXT);
        EXPECT_TRUE(panel.place.left >= bounds.left && panel.place.right <= bounds.right &&
                    panel.place.top >= bounds.top && panel.place.bottom <= bounds.bottom &&
                    panel.place.bottom > panel.place.top)
            << "a panel's place lies within the window";
    }
    EXPECT_EQ(gadget.CloseAndWait(), 0);
}

// Every control of the settings dialog has a name, as the system's objects and the swatches' own
// give it: the label before it, and a swatch's colour as its value.
TEST_F(AccessibilityTest, EveryControlOfTheSettingsDialogHasItsName) {
    WriteBytes(DefaultSettingsPath(), Utf16File(u"PNCOLOR=00DD00\r\n"));
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    HWND dialog = OpenSettingsDialog(gadget, window);
    ASSERT_TRUE(dialog);
    gadget.WaitIdle();
    std::wstring unnamed;
    for (const ControlRow& row : SetupFormRows()) {
        if (row.id == 0) continue;
        HWND control = ::GetDlgItem(dialog, row.id);
        ASSERT_TRUE(control) << row.id;
        const ReadWindow read = ReadAccessible(control);
        ASSERT_EQ(read.result, S_OK) << row.id;
        if (read.self.name != Wide(ControlName(row.id))) {
            unnamed += std::to_wstring(row.id) + L"=" + read.self.name + L" ";
        }
        if (row.kind == ControlKind::kSwatch) {
            EXPECT_EQ(read.self.role, ROLE_SYSTEM_PUSHBUTTON);
        }
    }
    EXPECT_EQ(unnamed, L"") << "controls whose names are not their labels";
    const ReadWindow elapsedColour = ReadAccessible(::GetDlgItem(dialog, setup_ids::SPppdy));
    EXPECT_EQ(elapsedColour.self.name, L"経過日数色");
    EXPECT_EQ(elapsedColour.self.value, L"赤 0、緑 221、青 0");
    ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    gadget.WaitIdle();
    EXPECT_EQ(gadget.CloseAndWait(), 0);
}

}  // namespace
}  // namespace kestrival::e2e
