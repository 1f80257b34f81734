#include "app/win32/gadget_window.h"

#include <shellapi.h>
#include <windowsx.h>
#include <wtsapi32.h>

#include "app/gadget_rules.h"
#include "app/presence_rules.h"
#include "app/win32/gadget_accessible.h"
#include "app/win32/gadget_ids.h"
#include "app/win32/gadget_menu.h"
#include "app/win32/instance_lock.h"
#include "app/win32/startup_entry.h"
#include "render/painter.h"
#include "support/civil_date.h"
#include "support/file_io.h"
#include "support/ui_texts.h"
#include "support/win32/dpi.h"
#include "support/win32/library.h"
#include "support/win32/startup_profile.h"
#include "support/win32/wide_text.h"
#include "support/win32/window_proc.h"

namespace kestrival {
namespace {

// The longest a reminder's balloon holds back the next one when the shell never says it went.
constexpr DWORD kReminderBalloonMs = 60000;

bool RegisterGadgetClass(HINSTANCE instance, WNDPROC procedure) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    // No class icon: the borderless tool window shows none, and loading it costs start-up time.
    windowClass.hbrBackground = nullptr;  // everything is painted from the off-screen bitmap
    windowClass.lpszClassName = kGadgetClass;
    return ::RegisterClassExW(&windowClass) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

MainForm::MainForm(ExecuteSetting& setting, GoalList& goals, const LocalClock& clock, const Environment& environment,
                   SettingsDialogCommand settingsDialog)
    : setting_(setting),
      goals_(goals),
      clock_(clock),
      environment_(environment),
      settingsDialog_(std::move(settingsDialog)) {}

MainForm::~MainForm() {
    if (hwnd_) {
        if (sessionRegistered_) SessionNotification(false);
        // The window goes with `window_`; no message of its destruction reaches a half-gone form.
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    }
}

std::unique_ptr<MainForm> MainForm::Create(HINSTANCE instance, ExecuteSetting& setting, GoalList& goals,
                                           const LocalClock& clock, const Environment& environment,
                                           SettingsDialogCommand settingsDialog) {
    if (!RegisterGadgetClass(instance, &RoutedWindowProc<MainForm>)) return nullptr;
    std::unique_ptr<MainForm> form(new MainForm(setting, goals, clock, environment, std::move(settingsDialog)));
    ChargeStartup(StartupStage::kWindow);
    // The window is made where the layout will put it, so the layout does not have to resize the
    // layered window's surface once more before the first frame.
    form->canvas_ = std::make_unique<GdiCanvas>(setting.Style.Font);
    const std::int32_t dpi = form->canvas_->Dpi();
    const std::int32_t textHeight = form->canvas_->TextExtent(u"H").height;
    ChargeStartup(StartupStage::kFonts);
    const Size size = GadgetSize(setting, textHeight, dpi);
    // The screens are asked once for the whole start: each question is a round of the window system.
    const Screens screens = form->CurrentScreens();
    const Point at = GadgetPosition(setting, size, screens);
    // A tool window gets no taskbar button; it is an ordinary window, not kept on top.
    const HWND hwnd =
        ::CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, kGadgetClass, AsWide(texts::kGadgetCaption), WS_POPUP, at.x,
                          at.y, size.width, size.height, nullptr, nullptr, instance, form.get());
    if (!hwnd) return nullptr;
    form->window_ = OwnedWindow(hwnd);
    ChargeStartup(StartupStage::kWindow);
    form->FormCreate(screens);
    ::PostMessageW(hwnd, kShowRemindersMessage, 0, 0);
    form->ApplyStacking();
    form->ApplyNotificationIcon();
    ChargeStartup(StartupStage::kWindow);
    return form;
}

LRESULT MainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_NCHITTEST:
            if (::IsZoomed(hwnd_)) break;
            return OnNcHitTest({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        case WM_PAINT:
            FormPaint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case kAfterFirstFrameMessage:
            AfterFirstFrame();
            return 0;
        case WM_GETOBJECT:
            if (LRESULT answer = OnGetObject(wParam, lParam)) return answer;
            break;
        case WM_DESTROY:
            accessible_.Reset();
            break;
        case WM_TIMER:
            if (wParam != kRepaintTimerId) return 0;
            TMtimerTimer();
            // Registered at the first timer pass, within a minute of start (sooner near midnight):
            // a date can only change on a timer pass, and the session library stays out of the start.
            if (!sessionRegistered_) SessionNotification(true);
            return 0;
        case WM_CONTEXTMENU:
            OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case WM_NCRBUTTONDOWN:
            if (wParam == HTCAPTION) return 0;  // no capture: the button-up below opens the menu
            break;
        case WM_NCRBUTTONUP:
            // The title band answers the hit test as a caption; its right click opens the same menu
            // as the rest of the window rather than a system menu.
            if (wParam == HTCAPTION) {
                OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                return 0;
            }
            break;
        case WM_TIMECHANGE:
            TMtimerTimer();
            return 0;
        case WM_POWERBROADCAST:
            OnPowerBroadcast(wParam);
            return TRUE;
        case WM_WTSSESSION_CHANGE:
            OnSessionChange(wParam);
            return 0;
        case WM_GETMINMAXINFO: {
            // Let the layout give the window any size up to its own limit, also beyond the screen.
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxTrackSize = {kMaxWindowSide, kMaxWindowSide};
            info->ptMinTrackSize = {1, 1};
            return 0;
        }
        case WM_CLOSE:
            PMquitClick();
            return 0;
        case WM_ENDSESSION:
            // Windows ends the process after this message: save now what quitting would have saved.
            // A failure is not reported: a notice would only hold up the shutdown. A file another
            // program holds is waited for at most kBusyWaitMs, within the seconds Windows gives.
            if (wParam) SaveWithPosition(setting_, goals_, Position(), laidOut_, PositionDpi());
            return 0;
        case kDpiChangedMessage:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_DISPLAYCHANGE:
            OnDisplayChanged();
            return 0;
        case WM_SETTINGCHANGE:
            // The taskbar moved or changed size.
            if (wParam == SPI_SETWORKAREA) OnDisplayChanged();
            break;
        case kNotificationIconMessage:
            OnNotificationIcon(lParam);
            return 0;
        case kOpenMenuMessage:
            OnContextMenu({GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        case kShowRemindersMessage:
            ShowReminders(clock_.Now().date);
            return 0;
        case WM_WINDOWPOSCHANGING: {
            // On the desktop the gadget stays below every window, also when clicked or dragged,
            // until the user shows the desktop.
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            if (StackingOf(setting_.ZO) == Stacking::kOnDesktop && !aboveDesktop_ &&
                !(position->flags & SWP_NOZORDER)) {
                position->hwndInsertAfter = HWND_BOTTOM;
            }
            break;
        }
        default:
            if (showKey_ && IsShowRequest(message, wParam, lParam, *showKey_)) {
                ComeForward();
                return 0;
            }
            if (icon_ && message == NotificationIcon::TaskbarCreatedMessage()) {
                icon_->Restore();
                return 0;
            }
            break;
    }
    return ::DefWindowProcW(hwnd_, message, wParam, lParam);
}

// Started again by a user who lost sight of it: shown, above other windows, and the window the
// user works with in it (the settings dialog or a notice, when one is open) takes the foreground.
void MainForm::ComeForward() {
    ::ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    if (StackingOf(setting_.ZO) == Stacking::kOnDesktop) {
        // Kept below every window, it would be raised only to sink again: it is shown as showing
        // the desktop shows it, above the others until another window comes forward.
        MoveInStack(StackingMove::kAboveDesktop);
    } else {
        ::SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    const HWND popup = ::GetLastActivePopup(hwnd_);
    ::SetForegroundWindow(popup ? popup : hwnd_);
}

void MainForm::FormCreate(const Screens& screens) {
    // The window was sized for the primary display; it is drawn for the monitor it is on.
    canvas_->SetDpi(WindowDpi(hwnd_));
    ChargeStartup(StartupStage::kFonts);
    LayoutAndOpacity(screens);
    ChargeStartup(StartupStage::kWindow);
    // The first frame is painted whole, once, before the window is shown.
    const LocalDateTime now = clock_.Now();
    PaintAndPresent(true, now);
    ChargeStartup(StartupStage::kFirstPaint);
    unshownFrame_ = true;
    StartTimer(now);
}

void MainForm::LayoutAndOpacity() { LayoutAndOpacity(CurrentScreens()); }

void MainForm::LayoutAndOpacity(const Screens& screens) {
    laidOut_ = LayoutGadget(setting_, *canvas_, screens, *this);
    ApplyOpacity(*this, setting_.TR);
}

void MainForm::TMtimerTimer() {
    if (!canvas_) return;  // not created yet
    ::KillTimer(hwnd_, kRepaintTimerId);
    const LocalDateTime now = clock_.Now();
    PaintAndPresent(false, now);
    UpdateIconTip(now);
    ShowReminders(now.date);
    StartTimer(now);
}

// The timer pass, a changed clock and a wake from sleep all come here. One reminder's balloon at a
// time: the rest stay due and follow when it goes. A shown one is saved quietly: a notice would
// take the focus the balloon was careful not to take.
void MainForm::ShowReminders(const CivilDate& today) {
    if (!AnyReminders(setting_)) return;
    if (reminderBalloonSince_ && ::GetTickCount() - *reminderBalloonSince_ < kReminderBalloonMs) return;
    reminderBalloonSince_.reset();
    const auto oneBalloon = [this](const ReminderMessage& message) {
        if (reminderBalloonSince_) return false;
        const bool shown = ShowBalloon(message.title, message.text);
        if (reminderBalloonAsked) reminderBalloonAsked(message, shown);
        if (shown) reminderBalloonSince_ = ::GetTickCount();
        return shown;
    };
    if (ShowDueReminders(setting_, goals_, today, oneBalloon)) {
        SaveWithPosition(setting_, goals_, Position(), laidOut_, PositionDpi());
    }
}

void MainForm::ReminderBalloonEnded() {
    if (!reminderBalloonSince_) return;
    reminderBalloonSince_.reset();
    ::PostMessageW(hwnd_, kShowRemindersMessage, 0, 0);
}

void MainForm::StartTimer(const LocalDateTime& now) {
    timeText_ = TimeText(now);
    ::SetTimer(hwnd_, kRepaintTimerId, static_cast<UINT>(TimerInterval(timeText_)), nullptr);
}

void MainForm::Paint(bool fullPaint, const LocalDateTime& now) {
    titleBandHeight_ = PaintGadget(*canvas_, setting_, goals_, now, fullPaint);
    ++paintPasses_;
    UpdateReading(now);
}

// Read only once a reader has asked: until then nobody hears the changes.
void MainForm::UpdateReading(const LocalDateTime& now) {
    if (!accessible_) return;
    GadgetReading reading = ReadGadget(*canvas_, setting_, goals_, now);
    const ReadingChanges changes = CompareReadings(reading_, reading);
    reading_ = std::move(reading);
    static_cast<GadgetAccessible*>(accessible_.get())->Announce(changes);
}

LRESULT MainForm::OnGetObject(WPARAM flags, LPARAM objectId) {
    if (static_cast<LONG>(objectId) != OBJID_CLIENT || !canvas_) return 0;
    if (!accessible_) {
        reading_ = ReadGadget(*canvas_, setting_, goals_, clock_.Now());
        accessible_.Reset(new GadgetAccessible(hwnd_, reading_));
    }
    return accessible_->Answer(flags, objectId);
}

void MainForm::PaintAndPresent(bool fullPaint, const LocalDateTime& now) {
    // Most minutes change no pixel; showing the same frame again would only keep the window
    // system busy once more each minute.
    const std::vector<std::uint32_t> before = fullPaint ? std::vector<std::uint32_t>{} : canvas_->Pixels();
    Paint(fullPaint, now);
    if (!::IsWindowVisible(hwnd_)) return;  // the first paint message shows the bitmap
    if (!fullPaint && canvas_->Pixels() == before) return;
    WindowDC window(hwnd_);
    canvas_->CopyTo(window.get());
}

void MainForm::FormPaint() {
    const PaintScope paint(hwnd_);
    if (!canvas_) return;
    ChargeStartup(StartupStage::kWindow);  // until the system asked for the first frame
    const bool firstFrame = unshownFrame_;
    if (!unshownFrame_) Paint(true, clock_.Now());
    unshownFrame_ = false;
    canvas_->CopyTo(paint.dc());
    if (firstFrame) {
        EndStartupProfile(StartupStage::kFirstPaint);
        // What the start left for later runs once the frame is on the screen.
        ::PostMessageW(hwnd_, kAfterFirstFrameMessage, 0, 0);
    }
}

void MainForm::AfterFirstFrame() { setting_.RemoveLeftovers(); }

LRESULT MainForm::OnNcHitTest(POINT cursor) {
    // A locked gadget is all client area: nothing drags it, and its menu still opens.
    if (setting_.LK != 0) return HTCLIENT;
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    return IsCaptionRow(cursor.y, window.top, titleBandHeight_) ? HTCAPTION : HTCLIENT;
}

void MainForm::OnContextMenu(POINT at) {
    if (at.x == -1 && at.y == -1) {  // from the keyboard: open at the window's corner
        RECT window{};
        ::GetWindowRect(hwnd_, &window);
        at = {window.left, window.top};
    }
    GadgetMenuState state{StackingOf(setting_.ZO), setting_.LK != 0, StartsWithWindows(environment_.ProgramPath())};
    state.notificationIcon = setting_.TI != 0;
    state.notificationAreaExists = NotificationIcon::AreaExists();
    const HMENU menu = BuildGadgetMenu(state);
    if (!menu) return;
    // The menu closes properly only when its owner is the foreground window.
    ::SetForegroundWindow(hwnd_);
    const UINT command = static_cast<UINT>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, hwnd_, nullptr));
    ::DestroyMenu(menu);
    ::PostMessageW(hwnd_, WM_NULL, 0, 0);
    OnCommand(command);
}

void MainForm::OnCommand(UINT command) {
    switch (command) {
        case kCommandSettings:
            PMsetClick();
            break;
        case kCommandSupport:
            N1Click();
            break;
        case kCommandQuit:
            PMquitClick();
            break;
        case kCommandStackOrdinary:
        case kCommandStackOnTop:
        case kCommandStackOnDesktop:
            setting_.ZO = static_cast<std::int32_t>(command - kCommandStackOrdinary);
            ApplyStacking();
            SaveNow();
            break;
        case kCommandLockPosition:
            setting_.LK = setting_.LK != 0 ? 0 : 1;
            SaveNow();
            break;
        case kCommandNotificationIcon:
            setting_.TI = setting_.TI != 0 ? 0 : 1;
            ApplyNotificationIcon();
            SaveNow();
            break;
        case kCommandStartWithWindows:
            SetStartWithWindows(!StartsWithWindows(environment_.ProgramPath()), environment_.ProgramPath(),
                                setting_.StartedLocal());
            break;
        default:
            break;
    }
}

// Made only when the user wants the icon: a gadget without it never loads the shell for it.
void MainForm::ApplyNotificationIcon() {
    const bool wanted = WantsNotificationIcon(setting_);
    if (!wanted && !icon_) return;
    if (!icon_) icon_ = std::make_unique<NotificationIcon>(hwnd_, kNotificationIconMessage);
    UpdateIconTip(clock_.Now());
    icon_->SetShown(wanted);
}

void MainForm::UpdateIconTip(const LocalDateTime& now) {
    if (icon_) icon_->SetTip(IconTip(setting_.TITLE, now.date));
}

bool MainForm::ShowBalloon(std::u16string_view title, std::u16string_view text) {
    if (!icon_) {
        icon_ = std::make_unique<NotificationIcon>(hwnd_, kNotificationIconMessage);
        UpdateIconTip(clock_.Now());
    }
    return icon_->ShowBalloon(title, text);
}

void MainForm::OnNotificationIcon(LPARAM event) {
    if (!icon_) return;
    switch (icon_->OnCallback(event)) {
        case NotificationIcon::Event::kActivate:
            ComeForward();
            break;
        case NotificationIcon::Event::kBalloonClicked:
            ReminderBalloonEnded();
            ComeForward();
            break;
        case NotificationIcon::Event::kBalloonGone:
            ReminderBalloonEnded();
            break;
        case NotificationIcon::Event::kMenu: {
            POINT at{};
            ::GetCursorPos(&at);
            ::PostMessageW(hwnd_, kOpenMenuMessage, 0, MAKELPARAM(at.x, at.y));
            break;
        }
        default:
            break;
    }
}

// A change from the menu is kept at once, through the same save as the dialog's OK.
void MainForm::SaveNow() {
    ReportSave(SaveWithPosition(setting_, goals_, Position(), laidOut_, PositionDpi()), setting_);
}

void MainForm::ApplyStacking() {
    const Stacking stacking = StackingOf(setting_.ZO);
    aboveDesktop_ = false;
    constexpr UINT kOnlyOrder = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    // Leaving the topmost band does nothing to a window outside it (a new one, say), and would
    // still cost the window system a round of window-position work.
    const bool topmost = (::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    if (stacking == Stacking::kOnTop || topmost) {
        ::SetWindowPos(hwnd_, stacking == Stacking::kOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, kOnlyOrder);
    }
    if (stacking == Stacking::kOnDesktop) {
        ::SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, kOnlyOrder);
        if (!desktopWatch_)
            desktopWatch_ = std::make_unique<DesktopWatch>([this](StackingMove move) { MoveInStack(move); });
    } else {
        desktopWatch_.reset();
    }
}

// Above the desktop as a topmost window, so that the desktop window's own rise when it takes the
// foreground (which may come after the event that told of it) cannot cover the gadget; back at
// the bottom, no longer topmost, once another window has the foreground.
void MainForm::MoveInStack(StackingMove move) {
    constexpr UINT kOnlyOrder = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    if (move == StackingMove::kAboveDesktop) {
        aboveDesktop_ = true;
        ::SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, kOnlyOrder);
    } else if (move == StackingMove::kToBottom && aboveDesktop_) {
        aboveDesktop_ = false;
        ::SetWindowPos(hwnd_, HWND_BOTTOM, 0, 0, 0, 0, kOnlyOrder);
    }
}

std::int32_t MainForm::PositionDpi() const { return SystemDpi(); }

// From the monitor list alone: the screen's size and the desktop's bounds asked for apart would
// each cost the window system a round of its own.
Screens MainForm::CurrentScreens() const { return ScreensOfMonitors(environment_.Monitors(), PositionDpi()); }

void MainForm::PMsetClick() {
    if (!settingsDialog_ || settingsDialog_(hwnd_, SettingsDialogTag(Position(), laidOut_)) != 1) return;
    LayoutAndOpacity();
    const LocalDateTime now = clock_.Now();
    PaintAndPresent(true, now);
    UpdateIconTip(now);
    SaveNow();
}

// Moved to a monitor of another scale, or the scale changed: drawn again at the new DPI. A gadget
// in its laid-out place is laid out again at its anchors; a dragged one takes the place Windows
// suggests, so it stays under the pointer.
void MainForm::OnDpiChanged(std::int32_t dpi, const RECT& suggested) {
    const bool dragged = Position() != laidOut_;
    canvas_->SetDpi(dpi);
    if (dragged) {
        const Size size = GadgetSize(setting_, canvas_->TextExtent(u"H").height, dpi);
        SetBounds({suggested.left, suggested.top, suggested.left + size.width, suggested.top + size.height});
    } else {
        LayoutAndOpacity();
    }
    PaintAndPresent(true, clock_.Now());
}

// The display changed (resolution, monitors added or removed, docking): a gadget in its laid-out
// place is laid out again, so an anchored edge follows the screen's edge; a dragged one keeps its
// place unless it is now off the screen. Nothing is saved here.
void MainForm::OnDisplayChanged() {
    const Point at = Position();
    if (at == laidOut_) {
        LayoutAndOpacity();
    } else {
        const Point kept = KeptOnScreen(at, canvas_->ClientSize(), CurrentScreens());
        if (kept != at)
            ::SetWindowPos(hwnd_, nullptr, kept.x, kept.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    PaintAndPresent(true, clock_.Now());
}

// The help page beside the program, or the support page on the web, in the default browser.
void MainForm::N1Click() {
    const std::u16string target =
        SupportTarget(setting_.ProgramFolder, FileExists(setting_.ProgramFolder + kHelpPageName));
    if (target.empty()) return;
    const LoadedLibrary shell(L"shell32.dll");
    // SEE_MASK_NOASYNC: the shell may hand the request to another thread of shell32, which is
    // unloaded when this function returns; the flag makes the call finish its work first.
    using ExecuteFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
    if (auto shellExecute = shell.Function<ExecuteFunction>("ShellExecuteExW")) {
        const std::wstring file = Wide(target);
        SHELLEXECUTEINFOW request{};
        request.cbSize = sizeof request;
        request.fMask = SEE_MASK_NOASYNC;
        request.hwnd = hwnd_;
        request.lpVerb = L"open";
        request.lpFile = file.c_str();
        request.nShow = SW_SHOWNORMAL;
        shellExecute(&request);
    }
}

void MainForm::PMquitClick() {
    // The window stays until the caller has saved its position.
    quitRequested_ = true;
    ::PostQuitMessage(0);
}

void MainForm::OnPowerBroadcast(WPARAM event) {
    // A machine that slept through midnight shows the new date as soon as it is back.
    // The displays may have changed while it slept (a laptop taken off its dock): laid out again
    // as after a display change, which paints the new date too.
    if (event == PBT_APMRESUMEAUTOMATIC || event == PBT_APMRESUMESUSPEND) {
        OnDisplayChanged();
        TMtimerTimer();
    }
}

void MainForm::OnSessionChange(WPARAM event) {
    if (event == WTS_SESSION_UNLOCK) TMtimerTimer();
}

void MainForm::SessionNotification(bool enable) {
    // Unlocking the session repaints at once; the library stays loaded while registered.
    static LoadedLibrary sessions(L"wtsapi32.dll");
    using RegisterFunction = BOOL(WINAPI*)(HWND, DWORD);
    using UnregisterFunction = BOOL(WINAPI*)(HWND);
    if (enable) {
        auto registerWindow = sessions.Function<RegisterFunction>("WTSRegisterSessionNotification");
        sessionRegistered_ = registerWindow && registerWindow(hwnd_, NOTIFY_FOR_THIS_SESSION);
    } else if (auto unregisterWindow = sessions.Function<UnregisterFunction>("WTSUnRegisterSessionNotification")) {
        unregisterWindow(hwnd_);
        sessionRegistered_ = false;
    }
}

void MainForm::SetBounds(const Rect& bounds) {
    const Size size{bounds.right - bounds.left, bounds.bottom - bounds.top};
    canvas_->Resize(size);
    // The window is made where the first layout puts it; moving it there again would cost the
    // system a round of window-position work before the first frame.
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    if (window.left == bounds.left && window.top == bounds.top && window.right == bounds.right &&
        window.bottom == bounds.bottom) {
        return;
    }
    ::SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainForm::SetColorKey(bool enabled, std::int32_t colour) {
    colorKeyEnabled_ = enabled;
    colorKey_ = static_cast<COLORREF>(colour) & 0x00FFFFFF;
    // At creation the opacity follows at once; the two are applied together then, which spares the
    // system one rebuild of the layered window's surface.
    if (alphaApplied_) ApplyLayeredAttributes();
}

void MainForm::SetAlpha(std::uint8_t alpha) {
    alpha_ = alpha;
    alphaApplied_ = true;
    ApplyLayeredAttributes();
}

void MainForm::ApplyLayeredAttributes() {
    ::SetLayeredWindowAttributes(hwnd_, colorKey_, alpha_, LWA_ALPHA | (colorKeyEnabled_ ? LWA_COLORKEY : 0));
}

Point MainForm::Position() const {
    RECT window{};
    ::GetWindowRect(hwnd_, &window);
    return {window.left, window.top};
}

}  // namespace kestrival
