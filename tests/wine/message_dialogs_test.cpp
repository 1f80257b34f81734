// The notice and the yes/no question shown for real, as task dialogs (version 6 and later) and as
// message boxes (below), inspected and answered from a second thread.
#include "support/message_dialogs.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/win32/message_dialogs.h"
#include "tests/common/win32/wine_helpers.h"

namespace kestrival::e2e {
namespace {

struct SeenDialog {
    std::wstring caption;
    std::vector<std::wstring> buttons;
    std::wstring defaultButton;
    bool sawText = false;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM parameter) {
    auto* seen = reinterpret_cast<SeenDialog*>(parameter);
    wchar_t className[32] = {};
    ::GetClassNameW(child, className, 32);
    const std::wstring text = WindowText(child);
    if (std::wstring(className) == L"Button") {
        seen->buttons.push_back(text);
        if ((::GetWindowLongW(child, GWL_STYLE) & 0xF) == BS_DEFPUSHBUTTON) seen->defaultButton = text;
    }
    if (text.find(L"question text") != std::wstring::npos) seen->sawText = true;
    return TRUE;
}

// Waits for the dialog, records it, then answers with `command` (or closes it when 0).
std::thread PressWhenShown(SeenDialog& seen, WPARAM command) {
    return std::thread([&seen, command] {
        HWND dialog = nullptr;
        for (int i = 0; i < 200 && !dialog; ++i) {
            ::Sleep(50);
            dialog = FindDialogWindow(::GetCurrentProcessId());
        }
        if (!dialog) return;
        ::Sleep(200);
        seen.caption = WindowText(dialog);
        ::EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&seen));
        if (command) {
            ::PostMessageW(dialog, WM_COMMAND, command, 0);
        } else {
            ::PostMessageW(dialog, WM_CLOSE, 0, 0);
        }
    });
}

std::wstring Plain(std::wstring text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c != L'&') out += c;
    }
    return out;
}

TEST(MessageDialogTest, TaskDialogQuestionPreselectsNoAndCountsCloseAsNo) {
    Win32DialogBackend backend;
    InitMessageDialogs(6, &backend);
    for (WPARAM answer : {WPARAM{IDYES}, WPARAM{0}}) {
        SeenDialog seen;
        std::thread answering = PressWhenShown(seen, answer);
        const Answer result = AskYesNo(u"question text", Answer::kNo);
        answering.join();
        EXPECT_EQ(result, answer == IDYES ? Answer::kYes : Answer::kNo);
        EXPECT_EQ(seen.caption, L"Kestrival");
        EXPECT_TRUE(seen.sawText);
        ASSERT_EQ(seen.buttons.size(), 2u);
        EXPECT_EQ(Plain(seen.defaultButton), Plain(seen.buttons[1]));
    }
}

TEST(MessageDialogTest, TaskDialogNoticeHasOneButton) {
    Win32DialogBackend backend;
    InitMessageDialogs(10, &backend);
    SeenDialog seen;
    std::thread answering = PressWhenShown(seen, IDOK);
    ShowNotice(u"question text notice", NoticeKind::kPlain);
    answering.join();
    EXPECT_EQ(seen.caption, L"Kestrival");
    EXPECT_EQ(seen.buttons.size(), 1u);
}

TEST(MessageDialogTest, MessageBoxQuestionBelowVersionSix) {
    Win32DialogBackend backend;
    InitMessageDialogs(5, &backend);
    SeenDialog seen;
    std::thread answering = PressWhenShown(seen, IDNO);
    EXPECT_EQ(AskYesNo(u"question text", Answer::kNo), Answer::kNo);
    answering.join();
    EXPECT_EQ(seen.caption, L"Kestrival");
    ASSERT_EQ(seen.buttons.size(), 2u);
    EXPECT_EQ(Plain(seen.defaultButton), Plain(seen.buttons[1]));

    SeenDialog notice;
    std::thread ok = PressWhenShown(notice, IDOK);
    ShowNotice(u"question text", NoticeKind::kInformation);
    ok.join();
    EXPECT_EQ(notice.buttons.size(), 1u);
}

}  // namespace
}  // namespace kestrival::e2e
