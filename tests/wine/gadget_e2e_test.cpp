// Kestrival.exe under Wine, checked from outside: its windows, its settings file on disk.
#include <gtest/gtest.h>
#include <windows.h>

#include "render/drawing.h"
#include "render/painter.h"
#include "render/win32/gdi_canvas.h"
#include "settings/execute_setting.h"
#include "support/text.h"
#include "support/win32/clock.h"
#include "support/win32/handles.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival::e2e {
namespace {

constexpr const wchar_t* kUnsupported = L"お使いのシステムではご利用いただけません。";

// Height of "H" in the gadget font at 9 points, as the program measures it for the layout.
std::int32_t TitleTextHeight(std::int32_t osMajor) {
    GdiCanvas canvas(ChooseRenderStyle(osMajor).Font);
    canvas.SetFontSize(9);
    return canvas.TextExtent(u"H").height;
}

std::int32_t TitleBandHeight(std::int32_t osMajor) {
    GdiCanvas canvas(ChooseRenderStyle(osMajor).Font);
    canvas.SetFontSize(9);
    return EvenTextHeight(canvas) + 8;
}

RECT WindowRect(HWND window) {
    RECT r{};
    ::GetWindowRect(window, &r);
    return r;
}

// The Windows version the prefix reports, for the life of the object (calls XP has, so that the
// 32-bit build of the tests compiles too).
class WineVersion {
public:
    explicit WineVersion(const wchar_t* name) {
        HKEY key = nullptr;
        if (::RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                              nullptr) != ERROR_SUCCESS) {
            return;
        }
        key_ = RegistryKey(key);
        ::RegSetValueExW(key, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                         static_cast<DWORD>((wcslen(name) + 1) * sizeof(wchar_t)));
    }
    ~WineVersion() {
        if (key_) ::RegDeleteValueW(key_.get(), L"Version");
    }

private:
    RegistryKey key_;
};

class GadgetTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteTree(DocumentsFolder() + L"\\ZKFILES"); }
    void TearDown() override { DeleteTree(DocumentsFolder() + L"\\ZKFILES"); }
    static void WriteSettings(const std::u16string& lines) { WriteBytes(DefaultSettingsPath(), Utf16File(lines)); }
    static std::u16string SavedText() { return SettingsText(ReadBytes(DefaultSettingsPath())); }
};

TEST_F(GadgetTest, FirstRunCreatesTheFileAndQuittingWritesTheDefaults) {
    GadgetProcess gadget;
    ASSERT_TRUE(gadget.WaitForGadget());
    EXPECT_EQ(WindowText(FindGadgetWindow(gadget.pid())), L" - Kestrival -");
    EXPECT_EQ(ReadBytes(DefaultSettingsPath()), std::string("\xFF\xFE", 2));
    EXPECT_EQ(gadget.CloseAndWait(), 0);

    const std::int32_t year = Win32Clock().Now().date.year;
    const std::u16string expected =
        u"Kestrival Setup File\r\nVERSION=110\r\n\r\nTITLE=Kestrival\r\nBIRTH=\r\nDVIEW=2\r\n\r\n"
        u"HB=2\r\nDX=0\r\nVB=2\r\nDY=0\r\nCL=1\r\nRW=1\r\nSR=0\r\nTR=100\r\nTB=0\r\nFM=1111\r\n\r\n"
        u"BFCOLOR=EEEEEE\r\nBBCOLOR=000000\r\nTBCOLOR=EE9999\r\nTTCOLOR=111111\r\nPFCOLOR=EEEEEE\r\n"
        u"CBCOLOR=EEEEEE\r\nCTCOLOR=111111\r\nSDCOLOR=00DD00\r\nEDCOLOR=00DDDD\r\nPNCOLOR=00DD00\r\n"
        u"RNCOLOR=00DDDD\r\nGFCOLOR=EEEEEE\r\nGBCOLOR=775577\r\n\r\n" +
        FormatText(u"ITEM1=%d年まで,%04d/01/01,%04d/01/01\r\n", {year + 1, year, year + 1});
    EXPECT_EQ(ReadBytes(DefaultSettingsPath()), Utf16File(expected));
}

TEST_F(GadgetTest, LocalSwitchKeepsTheFileBesideTheProgram) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"kestrival-local";
    DeleteTree(folder);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    ASSERT_TRUE(::CopyFileW((OwnFolder() + L"Kestrival.exe").c_str(), (folder + L"\\Kestrival.exe").c_str(), FALSE));
    {
        GadgetProcess gadget(L"local", folder + L"\\Kestrival.exe");
        ASSERT_TRUE(gadget.WaitForGadget());
        EXPECT_EQ(ReadBytes(folder + L"\\Kestrival_set.txt"), std::string("\xFF\xFE", 2));
        EXPECT_EQ(gadget.CloseAndWait(), 0);
    }
    EXPECT_GT(ReadBytes(folder + L"\\Kestrival_set.txt").size(), 100u);
    EXPECT_FALSE(FileExistsW(DocumentsFolder() + L"\\ZKFILES"));
    DeleteTree(folder);
}

TEST_F(GadgetTest, OldSystemsAreRefusedWithAMessageBox) {
    for (const wchar_t* version : {L"win2k", L"winxp64"}) {
        WineVersion wine(version);
        GadgetProcess gadget;
        HWND box = gadget.WaitForDialog();
        ASSERT_TRUE(box) << "no message box";
        EXPECT_EQ(WindowText(box), L"Kestrival");
        const auto statics = ChildTexts(box, L"Static");
        EXPECT_NE(std::find(statics.begin(), statics.end(), kUnsupported), statics.end());
        EXPECT_EQ(ChildTexts(box, L"Button").size(), 1u);
        EXPECT_FALSE(FindGadgetWindow(gadget.pid()));
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
        EXPECT_EQ(gadget.WaitForExit(), 0);
        // The load ran before the gate: the file exists, holding only the byte-order mark.
        EXPECT_EQ(ReadBytes(DefaultSettingsPath()), std::string("\xFF\xFE", 2));
    }
}

TEST_F(GadgetTest, SupportedSystemsRunWithTheirStyle) {
    struct Case {
        const wchar_t* version;
        std::int32_t major;
    };
    for (const Case c : {Case{L"winxp", 5}, Case{L"vista", 6}, Case{L"win7", 6}, Case{L"win10", 10}}) {
        WineVersion wine(c.version);
        WriteSettings(u"TBCOLOR=808080\r\nFM=0000\r\n");
        GadgetProcess gadget;
        HWND window = gadget.WaitForGadget();
        ASSERT_TRUE(window) << "no gadget on " << c.major;
        const RECT r = WindowRect(window);
        const std::int32_t bandExtra = c.major <= 5 ? 0 : 1;
        EXPECT_EQ(r.bottom - r.top, TitleTextHeight(c.major) + 72 + bandExtra + 12);
        // The lower half of the title band is darker in the shaded style only.
        const COLORREF expected = c.major <= 5 ? 0x808080u : 0x686868u;
        COLORREF lower = 0;
        for (int i = 0; i < 60 && lower != expected; ++i) {  // until the first frame is on screen
            ::Sleep(50);
            lower = ScreenPixel(r.left + 4, r.top + TitleBandHeight(c.major) - 1);
        }
        EXPECT_EQ(lower, expected);
        EXPECT_EQ(gadget.CloseAndWait(), 0);
    }
}

TEST_F(GadgetTest, WindowRectangleFollowsTheAnchors) {
    const int sw = ::GetSystemMetrics(SM_CXSCREEN), sh = ::GetSystemMetrics(SM_CYSCREEN);
    const int W = 2 * 162 + 6, H = TitleTextHeight(6) + 72 + 1 + 12;
    struct Case {
        const char16_t* anchors;
        int left, top;
    };
    const Case cases[] = {
        {u"HB=0\r\nDX=30\r\nVB=0\r\nDY=40\r\n", 30, 40},
        {u"HB=1\r\nDX=10\r\nVB=1\r\nDY=20\r\n", sw - W - 10, sh - H - 20},
        {u"HB=2\r\nDX=500\r\nVB=2\r\nDY=500\r\n", (sw - W) / 2, (sh - H) / 2},
        {u"HB=0\r\nDX=-50\r\nVB=0\r\nDY=99999\r\n", 0, sh - H},
        {u"HB=0\r\nDX=1279\r\nVB=1\r\nDY=-30\r\n", sw - 1 == 1279 ? 1279 : sw - W,
         sh - H + 30 > sh - 1 ? sh - H : sh - H + 30},
    };
    for (const auto& c : cases) {
        WriteSettings(std::u16string(u"CL=2\r\nRW=1\r\n") + c.anchors);
        GadgetProcess gadget;
        HWND window = gadget.WaitForGadget();
        ASSERT_TRUE(window);
        const RECT r = WindowRect(window);
        EXPECT_EQ(r.left, c.left) << ToUtf8(c.anchors);
        EXPECT_EQ(r.top, c.top) << ToUtf8(c.anchors);
        EXPECT_EQ(r.right - r.left, W);
        EXPECT_EQ(r.bottom - r.top, H);
        EXPECT_EQ(gadget.CloseAndWait(), 0);
    }
}

TEST_F(GadgetTest, AlphaAndColourKey) {
    struct Case {
        const char16_t* settings;
        BYTE alpha;
        DWORD flags;
    };
    const Case cases[] = {
        {u"TR=50\r\nTB=1\r\nBBCOLOR=00FF00\r\n", 127, LWA_ALPHA | LWA_COLORKEY},
        {u"TR=100\r\nTB=0\r\nBBCOLOR=00FF00\r\n", 255, LWA_ALPHA},
        {u"TR=0\r\nTB=0\r\nBBCOLOR=00FF00\r\n", 25, LWA_ALPHA},
    };
    for (const auto& c : cases) {
        WriteSettings(c.settings);
        GadgetProcess gadget;
        HWND window = gadget.WaitForGadget();
        ASSERT_TRUE(window);
        COLORREF key = 0;
        BYTE alpha = 0;
        DWORD flags = 0;
        ASSERT_TRUE(::GetLayeredWindowAttributes(window, &key, &alpha, &flags));
        EXPECT_EQ(alpha, c.alpha);
        EXPECT_EQ(flags, c.flags);
        if (flags & LWA_COLORKEY) {
            EXPECT_EQ(key, 0x00FF00u);
        }
        EXPECT_EQ(gadget.CloseAndWait(), 0);
    }
}

TEST_F(GadgetTest, TitleBandIsTheDragZone) {
    WriteSettings(u"HB=0\r\nDX=100\r\nVB=0\r\nDY=100\r\n");
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    const RECT r = WindowRect(window);
    const int band = TitleBandHeight(6);
    auto hit = [window](int x, int y) {
        return ::SendMessageW(window, WM_NCHITTEST, 0, MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)));
    };
    EXPECT_EQ(hit(r.left + 1, r.top), HTCAPTION);
    EXPECT_EQ(hit(r.right - 2, r.top + band - 1), HTCAPTION);
    EXPECT_EQ(hit(r.left + 10, r.top + band), HTCLIENT);
    EXPECT_EQ(hit(r.left + 10, r.bottom - 1), HTCLIENT);
    EXPECT_EQ(gadget.CloseAndWait(), 0);
}

TEST_F(GadgetTest, DraggedWindowIsStoredAsLeftTopAnchoredAtExit) {
    WriteSettings(u"HB=1\r\nDX=10\r\nVB=2\r\n");
    GadgetProcess gadget;
    HWND window = gadget.WaitForGadget();
    ASSERT_TRUE(window);
    const RECT r = WindowRect(window);
    ::SetWindowPos(window, nullptr, r.left - 10, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::Sleep(200);
    EXPECT_EQ(gadget.CloseAndWait(), 0);
    const std::u16string saved = SavedText();
    EXPECT_NE(saved.find(u"\nHB=0\n"), std::u16string::npos);
    EXPECT_NE(saved.find(u"\nVB=0\n"), std::u16string::npos);
    EXPECT_NE(saved.find(FormatText(u"\nDX=%d\n", {static_cast<std::int32_t>(r.left - 10)})), std::u16string::npos);
    EXPECT_NE(saved.find(FormatText(u"\nDY=%d\n", {static_cast<std::int32_t>(r.top)})), std::u16string::npos);
}

TEST_F(GadgetTest, UnmovedWindowKeepsItsAnchors) {
    WriteSettings(u"HB=1\r\nDX=10\r\nVB=1\r\nDY=5\r\n");
    GadgetProcess gadget;
    ASSERT_TRUE(gadget.WaitForGadget());
    EXPECT_EQ(gadget.CloseAndWait(), 0);
    const std::u16string saved = SavedText();
    EXPECT_NE(saved.find(u"\nHB=1\nDX=10\nVB=1\nDY=5\n"), std::u16string::npos);
}

}  // namespace
}  // namespace kestrival::e2e
