// Program entry on Linux: one gadget per settings file, load, run the gadget, save at exit, also
// when the session ends it (SIGTERM, SIGHUP, SIGINT).
#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/print_goals.h"
#include "app/gadget_rules.h"
#include "app/platform_choice.h"
#include "app/posix/instance_lock.h"
#include "app/qt/gadget_accessible.h"
#include "app/qt/display_probe.h"
#include "app/qt/gadget_widget.h"
#include "app/qt/qt_environment.h"
#include "settings/dialog/qt/goal_grid_accessible.h"
#include "settings/dialog/qt/setup_dialog_qt.h"
#include "settings/execute_setting.h"
#include "support/message_dialogs.h"
#include "support/posix/clock.h"
#include "support/qt/message_dialogs.h"
#include "support/text.h"

namespace kestrival {
namespace {

ExecuteSetting Setting;
GoalList Goals;
PosixClock Clock;
QtDialogBackend DialogBackendInstance;

// Signals reach the event loop through a socket pair: a handler may only write a byte.
int signalSockets[2] = {-1, -1};

void OnSignal(int number) {
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(signalSockets[0], &byte, 1);
}

void CatchSignals() {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalSockets) != 0) return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGHUP, SIGINT}) ::sigaction(number, &action, nullptr);
}

// The name the usage shows: the command as it was typed, without its folder.
std::string ProgramName(int argc, char** argv) {
    const std::string_view typed = argc > 0 && argv[0] != nullptr ? argv[0] : "";
    const std::string_view name = typed.substr(typed.find_last_of('/') + 1);
    return std::string(name.empty() ? "kestrival" : name);
}

// Prints a text; whether it reached its stream (a full disk, a closed pipe) decides the status.
int Print(std::FILE* stream, const std::string& text, int status) {
    const bool written = std::fputs(text.c_str(), stream) >= 0 && std::fflush(stream) == 0;
    return written ? status : 1;
}

// The goals as text: no display, no lock, and the settings file only read. Qt's core part gives
// the program's path and the documents folder.
int PrintGoalsOnTerminal(int argc, char** argv, const std::string& program) {
    QCoreApplication application(argc, argv);
    const PrintOutcome outcome = PrintGoals(QtEnvironment(), Clock);
    if (!outcome.error.empty()) Print(stderr, program + ": " + ToUtf8(outcome.error), outcome.status);
    if (outcome.status != 0) return outcome.status;
    return Print(stdout, ToUtf8(outcome.output), 0);
}

// Gives the session manager a restart command that brings the gadget back as it was started
// (with LOCAL, its file beside the program). The toolkit writes its own command before it asks
// for the application's data and for its state, and hands whichever it ends with to the manager.
void KeepArgumentsOnRestart(QApplication& application, const std::vector<std::string>& startArguments) {
    const auto carry = [startArguments](QSessionManager& manager) {
        std::vector<std::string> toolkit;
        for (const QString& part : manager.restartCommand()) toolkit.push_back(part.toStdString());
        const std::vector<std::string_view> start(startArguments.begin(), startArguments.end());
        QStringList command;
        for (const std::string& part :
             RestartCommand(toolkit, start, QString::fromStdU16String(QtEnvironment().ProgramPath()).toStdString())) {
            command << QString::fromStdString(part);
        }
        manager.setRestartCommand(command);
    };
    QObject::connect(&application, &QGuiApplication::commitDataRequest, carry);
    QObject::connect(&application, &QGuiApplication::saveStateRequest, carry);
}

// Qt's platform list (see PlatformList), and what the start says when none of it starts.
std::string startProgramName;
std::optional<std::string> userPlatform;
QtMessageHandler qtHandler = nullptr;

void ChoosePlatform(const std::string& program) {
    startProgramName = program;
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        userPlatform = qgetenv("QT_QPA_PLATFORM").toStdString();
    }
    qputenv("QT_QPA_PLATFORM", QByteArray::fromStdString(PlatformList(userPlatform)));
}

// Qt ends the program with an abort when no platform of its list starts: the user is told why
// instead, and the program ends with 1. Qt's other messages go on to Qt's own handler.
void ExplainFailedStart(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        if (qtHandler) qtHandler(type, context, message);
        return;
    }
    const std::string text = NoDisplayText(startProgramName, SearchDisplays(userPlatform));
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
    std::_Exit(1);
}

// The options' handlers. They run before anything opens a display, takes the lock or reads the
// settings file; nothing when the command runs the gadget.
std::optional<int> AnswerOnTerminal(int argc, char** argv) {
    const std::vector<std::string_view> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const CommandLine line = ParseCommandLine(arguments);
    const std::string program = ProgramName(argc, argv);
    switch (line.action) {
        case CommandAction::kRunGadget:
            return std::nullopt;
        case CommandAction::kShowHelp:
            return Print(stdout, UsageText(program), 0);
        case CommandAction::kShowVersion:
            return Print(stdout, VersionText(program), 0);
        case CommandAction::kPrintGoals:
            return PrintGoalsOnTerminal(argc, argv, program);
        case CommandAction::kUsageError:
            Print(stderr, UsageErrorText(program, line.unknownOption), kUsageErrorStatus);
            return kUsageErrorStatus;
    }
    return std::nullopt;
}

int Run(int argc, char** argv) {
    if (const std::optional<int> status = AnswerOnTerminal(argc, argv)) return *status;
    // Qt takes its own options out of argv, the session's among them.
    const std::vector<std::string> startArguments(argv + (argc > 0 ? 1 : 0), argv + argc);

    ChoosePlatform(ProgramName(argc, argv));
    // The core scales every length to the display's DPI itself; Qt must not scale them again.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    qtHandler = qInstallMessageHandler(ExplainFailedStart);
    QApplication application(argc, argv);
    qInstallMessageHandler(qtHandler);
    application.setQuitOnLastWindowClosed(false);
    KeepArgumentsOnRestart(application, startArguments);
    const QtEnvironment environment;
    QAccessible::installFactory(GadgetAccessibleFactory);
    QAccessible::installFactory(GoalGridAccessibleFactory);
    QAccessible::installFactory(SwatchAccessibleFactory);

    Setting.Locate(environment);
    // A user who starts the gadget again is looking for it: the running one comes forward.
    const std::unique_ptr<InstanceLock> lock = InstanceLock::Claim(Setting.SettingFile);
    if (!lock) return 0;
    Setting.ReadFile(Clock, Goals);
    InitMessageDialogs(Setting.OsMajorVersion, &DialogBackendInstance);

    GadgetWidget gadget(Setting, Goals, Clock, environment);
    gadget.settingsCommand = [&environment](QWidget* owner, std::int32_t tag) {
        const std::int32_t dpi = environment.ScreenDpi();
        const QRect window = owner->frameGeometry();
        const WindowGeometry geometry = DesignUnitGeometry(
            {window.left(), window.top(), window.left() + window.width(), window.top() + window.height()},
            environment.ScreenSize(), dpi);
        QtSetupDialog dialog(owner, Setting.Style, Clock, dpi);
        return dialog.ShowModal(tag, geometry, Setting, Goals);
    };
    CatchSignals();
    bool sessionEnded = false;
    bool loopRunning = false;
    QSocketNotifier signalNotifier(signalSockets[1], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, [&] {
        char number = 0;
        if (::read(signalSockets[1], &number, 1) != 1) return;
        sessionEnded = true;
        // Outside the event loop (the start-up notice, the exit save's notice) quit() does
        // nothing: the notice that holds the gadget up is closed instead.
        if (!loopRunning) {
            if (QWidget* notice = QApplication::activeModalWidget()) notice->close();
            return;
        }
        QApplication::quit();
    });
    // Later starts that queued up while this one was starting are answered once it can show itself.
    std::unique_ptr<QSocketNotifier> requestNotifier;
    if (lock->RequestSocket() >= 0) {
        requestNotifier = std::make_unique<QSocketNotifier>(lock->RequestSocket(), QSocketNotifier::Read);
        QObject::connect(requestNotifier.get(), &QSocketNotifier::activated, [&] {
            if (lock->TakeRequests()) gadget.ComeForward();
        });
    }
    gadget.show();
    ReportUnreadableFile(Setting);
    loopRunning = true;
    if (!sessionEnded) QApplication::exec();
    loopRunning = false;

    const auto save = [&] {
        return SaveWithPosition(Setting, Goals, gadget.Position(), gadget.LaidOut(), gadget.PositionDpi());
    };
    const SaveOutcome outcome = save();
    // When the session ends a notice would only hold it up.
    if (sessionEnded) return 0;
    ReportSaveAtExit(outcome, Setting);
    // The session ended while the notice was up: the user may have made room or given the
    // folder back meanwhile, so the save is tried once more before the gadget goes.
    if (sessionEnded && outcome == SaveOutcome::kFailed) save();
    return 0;
}

}  // namespace
}  // namespace kestrival

int main(int argc, char** argv) { return kestrival::Run(argc, argv); }
