#pragma once
// The gadget window: a borderless layered popup that shows the painted gadget, repaints on a
// timer, drags by its title band and offers the context menu.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/win32/desktop_stacking.h"
#include "app/reminders.h"
#include "app/win32/notification_icon.h"
#include "render/gadget_reading.h"
#include "render/layout.h"
#include "render/win32/gdi_canvas.h"
#include "settings/environment.h"
#include "settings/execute_setting.h"
#include "support/win32/handles.h"
#include "support/win32/window_accessible.h"
#include "support/civil_date.h"

namespace kestrival {

// Shows the settings dialog modally; `tag` is 1 when the window stands where the layout put it
// and 0 when the user dragged it. Returns 1 (OK) after the dialog committed its edits, else 2.
using SettingsDialogCommand = std::function<std::int32_t(HWND owner, std::int32_t tag)>;

class MainForm final : public GadgetWindow {
public:
    // Creates the window hidden and runs its creation handler (layout, opacity, first paint,
    // timer). Returns nothing when the window cannot be created.
    static std::unique_ptr<MainForm> Create(HINSTANCE instance, ExecuteSetting& setting, GoalList& goals,
                                            const LocalClock& clock, const Environment& environment,
                                            SettingsDialogCommand settingsDialog);
    ~MainForm() override;
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    HWND hwnd() const { return hwnd_; }
    Point LaidOut() const { return laidOut_; }
    // The DPI the gadget is drawn at: its monitor's.
    std::int32_t Dpi() const { return canvas_ ? canvas_->Dpi() : kDesignDpi; }
    // The unit of the stored position: the primary display's DPI, whatever monitor the gadget is on.
    std::int32_t PositionDpi() const;
    // How many times the gadget has been painted into its bitmap, full or timer passes.
    std::int32_t PaintPasses() const { return paintPasses_; }
    // From now on a second start on the same file (its `key`) brings this gadget forward.
    void AnswerShowRequests(std::uint64_t key) { showKey_ = key; }
    // Whether the user chose to quit; the message loop ends then.
    bool QuitRequested() const { return quitRequested_; }
    // A balloon from the notification-area icon, which is shown for it when the user keeps it off
    // and goes again with the balloon; a click on the balloon brings the gadget forward. False
    // when there is no notification area or the shell refused it.
    bool ShowBalloon(std::u16string_view title, std::u16string_view text);
    // Told of every reminder balloon asked for and whether it showed; for the tests.
    std::function<void(const ReminderMessage& message, bool shown)> reminderBalloonAsked;

    // GadgetWindow
    void SetBounds(const Rect& bounds) override;
    void SetColorKey(bool enabled, std::int32_t colour) override;
    void SetAlpha(std::uint8_t alpha) override;
    Point Position() const override;

private:
    MainForm(ExecuteSetting& setting, GoalList& goals, const LocalClock& clock, const Environment& environment,
             SettingsDialogCommand settingsDialog);
    template <typename Window>
    friend LRESULT CALLBACK RoutedWindowProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void FormCreate(const Screens& screens);
    void AfterFirstFrame();
    void TMtimerTimer();
    void StartTimer(const LocalDateTime& now);
    void FormPaint();
    void PMsetClick();
    void N1Click();
    void PMquitClick();
    LRESULT OnNcHitTest(POINT cursor);
    void OnContextMenu(POINT at);
    void OnPowerBroadcast(WPARAM event);
    void OnSessionChange(WPARAM event);
    void SessionNotification(bool enable);
    void OnDpiChanged(std::int32_t dpi, const RECT& suggested);
    void OnDisplayChanged();
    void ComeForward();
    void OnCommand(UINT command);
    void ApplyNotificationIcon();
    void ShowReminders(const CivilDate& today);
    void ReminderBalloonEnded();
    void OnNotificationIcon(LPARAM event);
    void UpdateIconTip(const LocalDateTime& now);
    void SaveNow();
    void ApplyStacking();
    void MoveInStack(StackingMove move);
    Screens CurrentScreens() const;

    void LayoutAndOpacity();
    void LayoutAndOpacity(const Screens& screens);
    void Paint(bool fullPaint, const LocalDateTime& now);
    void PaintAndPresent(bool fullPaint, const LocalDateTime& now);
    void ApplyLayeredAttributes();
    LRESULT OnGetObject(WPARAM flags, LPARAM objectId);
    void UpdateReading(const LocalDateTime& now);

    HWND hwnd_ = nullptr;
    ExecuteSetting& setting_;
    GoalList& goals_;
    const LocalClock& clock_;
    const Environment& environment_;
    SettingsDialogCommand settingsDialog_;
    std::unique_ptr<GdiCanvas> canvas_;

    // Runtime gadget state, not persisted.
    std::int32_t titleBandHeight_ = 0;
    // A full frame was painted while the window was hidden: the first paint message only shows it.
    bool unshownFrame_ = false;
    std::int32_t paintPasses_ = 0;
    bool sessionRegistered_ = false;
    Point laidOut_;
    std::u16string timeText_;
    bool colorKeyEnabled_ = false;
    COLORREF colorKey_ = 0;
    BYTE alpha_ = 255;
    bool alphaApplied_ = false;
    bool quitRequested_ = false;
    std::optional<std::uint64_t> showKey_;
    // On the desktop: the watch of the foreground, and whether the gadget stands above the
    // shell's desktop window for now.
    std::unique_ptr<DesktopWatch> desktopWatch_;
    bool aboveDesktop_ = false;
    // The notification-area icon, made when first wanted (for the user or for a balloon).
    std::unique_ptr<NotificationIcon> icon_;
    // When a reminder's balloon went up; the next due reminder waits until it goes (a second
    // balloon would replace it before it was seen). A balloon whose end was never reported counts
    // as gone after kReminderBalloonMs.
    std::optional<DWORD> reminderBalloonSince_;
    // What a screen reader reads, kept once a reader has asked for the window's object.
    GadgetReading reading_;
    AccessibleRef accessible_;
    // Last, so that the window is destroyed first, while everything it might ask for still exists.
    OwnedWindow window_;
};

}  // namespace kestrival
