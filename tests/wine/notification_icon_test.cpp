// The notification-area icon against Wine's notification area: the user's choice and a balloon
// each keep the icon, the balloon's end takes away only the icon it brought, and the clicks turn
// into what the gadget does.
#include "app/win32/notification_icon.h"

#include <gtest/gtest.h>
#include <windows.h>

#include "tests/common/win32/wine_helpers.h"

namespace kestrival {
namespace {

constexpr UINT kCallback = WM_APP + 1;

class NotificationIconTest : public ::testing::Test {
protected:
    NotificationIconTest()
        : owner_(::CreateWindowExW(0, L"STATIC", L"icon owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                   ::GetModuleHandleW(nullptr), nullptr)) {}
    ~NotificationIconTest() override { ::DestroyWindow(owner_); }
    HWND owner_;
};

TEST_F(NotificationIconTest, ABalloonBringsTheIconOnlyForItsOwnTime) {
    ASSERT_TRUE(NotificationIcon::AreaExists());
    NotificationIcon icon(owner_, kCallback);
    EXPECT_FALSE(icon.Present());
    icon.SetTip(u"目標 2026/12/11");

    ASSERT_TRUE(icon.ShowBalloon(u"目標", u"あと 3 日"));
    EXPECT_TRUE(icon.Present()) << "the icon shows for the balloon";
    EXPECT_EQ(icon.OnCallback(NIN_BALLOONTIMEOUT), NotificationIcon::Event::kBalloonGone);
    EXPECT_FALSE(icon.Present()) << "and goes with it while the user keeps it off";

    ASSERT_TRUE(icon.ShowBalloon(u"目標", u"今日です"));
    EXPECT_EQ(icon.OnCallback(NIN_BALLOONUSERCLICK), NotificationIcon::Event::kBalloonClicked);
    EXPECT_FALSE(icon.Present());

    // Kept on by the user, it stays through a balloon, and hiding it waits for a balloon on show.
    ASSERT_TRUE(icon.SetShown(true));
    ASSERT_TRUE(icon.ShowBalloon(u"目標", u"あと 1 日"));
    EXPECT_EQ(icon.OnCallback(NIN_BALLOONTIMEOUT), NotificationIcon::Event::kBalloonGone);
    EXPECT_TRUE(icon.Present());
    ASSERT_TRUE(icon.ShowBalloon(u"目標", u""));
    icon.SetShown(false);
    EXPECT_TRUE(icon.Present()) << "the balloon still needs it";
    icon.OnCallback(NIN_BALLOONHIDE);
    EXPECT_FALSE(icon.Present());
}

TEST_F(NotificationIconTest, ClicksAndARecreatedTaskbar) {
    NotificationIcon icon(owner_, kCallback);
    EXPECT_EQ(icon.OnCallback(WM_LBUTTONUP), NotificationIcon::Event::kActivate);
    EXPECT_EQ(icon.OnCallback(WM_RBUTTONUP), NotificationIcon::Event::kMenu);
    EXPECT_EQ(icon.OnCallback(WM_MOUSEMOVE), NotificationIcon::Event::kNone);
    EXPECT_EQ(icon.OnCallback(WM_LBUTTONDOWN), NotificationIcon::Event::kNone);

    // A new taskbar has no icons: the wanted one is added again, an unwanted one is not.
    icon.Restore();
    EXPECT_FALSE(icon.Present());
    ASSERT_TRUE(icon.SetShown(true));
    icon.Restore();
    EXPECT_TRUE(icon.Present());
    EXPECT_NE(NotificationIcon::TaskbarCreatedMessage(), 0u);
}

}  // namespace
}  // namespace kestrival
