// Program entry: load the settings, pass the version gate, run the gadget, save at exit.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/gadget_rules.h"
#include "app/print_goals.h"
#include "app/win32/environment.h"
#include "app/win32/gadget_ids.h"
#include "app/win32/gadget_window.h"
#include "app/win32/instance_lock.h"
#include "app/win32/settings_command.h"
#include "app/win32/terminal_output.h"
#include "settings/execute_setting.h"
#include "support/message_dialogs.h"
#include "support/text.h"
#include "support/ui_texts.h"
#include "support/win32/clock.h"
#include "support/win32/message_dialogs.h"
#include "support/win32/startup_profile.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

// The process-wide state: the settings record, the goal list, the clock, the environment
// and the message-dialog backend. They live until the process ends.
ExecuteSetting Setting;
GoalList Goals;
Win32Clock Clock;
Win32DialogBackend DialogBackendInstance;
const Win32Environment Environment;

// Loads the settings and goals, prepares the message dialogs and answers whether this system may
// run the gadget. The file is read only once this run holds it: a second gadget started on the
// same file ends (with exit code 0) before reading or writing anything.
enum class Startup { kRun, kRefused, kAlreadyRunning };

Startup StartupLoad(std::unique_ptr<InstanceLock>& lock, std::uint64_t& key) {
    Setting.Locate(Environment);
    ChargeStartup(StartupStage::kSettingsFolder);
    key = InstanceKeyOf(Setting.SettingFile);
    lock = InstanceLock::Acquire(key, Setting.SettingFile);
    ChargeStartup(StartupStage::kLock);
    if (!lock) return Startup::kAlreadyRunning;
    Setting.ReadFile(Clock, Goals);
    ChargeStartup(StartupStage::kSettingsFile);
    InitMessageDialogs(Setting.OsMajorVersion, &DialogBackendInstance);
    return PassesVersionGate(Setting.OsMajorVersion, Setting.OsMinorVersion) ? Startup::kRun : Startup::kRefused;
}

// Runs until the gadget asks to quit. The gadget's own flag is checked as well as WM_QUIT, because a
// nested modal loop (a window move, a menu) may swallow the quit message.
void RunMessageLoop(const MainForm& form) {
    MSG message{};
    while (!form.QuitRequested() && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

// Kestrival.exe --print: the goals as text, before any window, lock or write. Other options are
// left alone here, as the gadget has always ignored arguments other than LOCAL.
std::optional<int> PrintIfAsked() {
    std::vector<std::string> utf8;
    const std::vector<std::u16string> arguments = Environment.Arguments();
    for (std::size_t i = 1; i < arguments.size(); ++i) utf8.push_back(ToUtf8(arguments[i]));
    const std::vector<std::string_view> views(utf8.begin(), utf8.end());
    if (ParseCommandLine(views).action != CommandAction::kPrintGoals) return std::nullopt;
    const PrintOutcome outcome = PrintGoals(Environment, Clock);
    if (!outcome.error.empty()) WriteToTerminal(STD_ERROR_HANDLE, u"Kestrival: " + outcome.error);
    if (outcome.status != 0) return outcome.status;
    return WriteToTerminal(STD_OUTPUT_HANDLE, outcome.output) ? 0 : 1;
}

// For the end-to-end tests, which cannot see a balloon from outside: with
// KESTRIVAL_TEST_BALLOON_LOG naming a file, each reminder balloon asked for is added to it as a
// line "title<TAB>text<TAB>1" (0 when it could not be shown), in UTF-8.
void LogReminderBalloons(MainForm& form) {
    const wchar_t* path = ::_wgetenv(L"KESTRIVAL_TEST_BALLOON_LOG");
    if (!path || !*path) return;
    form.reminderBalloonAsked = [log = std::wstring(path)](const ReminderMessage& message, bool shown) {
        if (FILE* file = ::_wfopen(log.c_str(), L"ab")) {
            const std::string line = ToUtf8(message.title) + "\t" + ToUtf8(message.text) + (shown ? "\t1\n" : "\t0\n");
            std::fwrite(line.data(), 1, line.size(), file);
            std::fclose(file);
        }
    };
}

int Run(HINSTANCE instance) {
    StartStartupProfile();
    if (const std::optional<int> status = PrintIfAsked()) return *status;
    ChargeStartup(StartupStage::kOther);
    std::unique_ptr<InstanceLock> lock;
    std::uint64_t key = 0;
    const Startup startup = StartupLoad(lock, key);
    if (startup == Startup::kAlreadyRunning) {
        // A user who starts the gadget again is looking for it: the running one comes forward.
        ShowRunningGadget(key);
        return 0;
    }
    if (startup == Startup::kRefused) {
        // Wide text, so the message reads right whatever the system's ANSI code page is.
        ::MessageBoxW(nullptr, AsWide(texts::kUnsupportedSystem), AsWide(texts::kProductCaption), MB_ICONERROR);
        return 0;
    }
    std::unique_ptr<MainForm> FMmain =
        MainForm::Create(instance, Setting, Goals, Clock, Environment,
                         MakeSettingsDialogCommand(instance, Setting, Goals, Clock, Environment));
    if (!FMmain) return 0;
    FMmain->AnswerShowRequests(key);
    LogReminderBalloons(*FMmain);
    ::ShowWindow(FMmain->hwnd(), SW_SHOWNOACTIVATE);
    ChargeStartup(StartupStage::kWindow);
    ReportUnreadableFile(Setting);
    ChargeStartup(StartupStage::kOther);
    RunMessageLoop(*FMmain);
    // The quit request may still be queued; it would close the failure notice at once.
    MSG quit{};
    while (::PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    ReportSaveAtExit(SaveWithPosition(Setting, Goals, FMmain->Position(), FMmain->LaidOut(), FMmain->PositionDpi()),
                     Setting);
    WriteStartupProfile();
    return 0;
}

void ShowError(const std::wstring& message) {
    ::MessageBoxW(nullptr, message.c_str(), AsWide(texts::kProductCaption), MB_ICONERROR | MB_OK);
}

}  // namespace
}  // namespace kestrival

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    try {
        return kestrival::Run(instance);
    } catch (const std::exception& error) {
        kestrival::ShowError(kestrival::Wide(kestrival::FromUtf8(error.what())));
    } catch (...) {
        kestrival::ShowError(L"");
    }
    return 0;
}
