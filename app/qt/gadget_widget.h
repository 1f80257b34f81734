#pragma once
// The gadget window on Linux: a frameless window that shows the painted gadget, repaints on a timer
// and after the machine wakes, follows the screens, drags by its title band and offers the context
// menu. What kind of window it is on its display (X11 with or without a compositor, Wayland) is
// its role (app/window_role.h).
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <set>
#include <string_view>

#include "app/desktop_rules.h"
#include "app/window_role.h"
#include "render/gadget_reading.h"
#include "render/layout.h"
#include "render/qt/qt_canvas.h"
#include "settings/environment.h"
#include "settings/execute_setting.h"

namespace kestrival {

class QtEnvironment;
class DesktopNotifier;
class TrayIcon;

class GadgetWidget final : public QWidget, public GadgetWindow {
public:
    GadgetWidget(ExecuteSetting& setting, GoalList& goals, const LocalClock& clock, const QtEnvironment& environment);
    ~GadgetWidget() override;

    Point LaidOut() const { return laidOut_; }
    // The unit of the stored position: the primary screen's DPI.
    std::int32_t PositionDpi() const;
    // Shown, raised and given the focus: a second start on the same file asks for it.
    void ComeForward();
    // A balloon from the notification-area icon, shown for it when the user keeps it off; a click
    // on it brings the gadget forward. False where the desktop has no notification area.
    bool ShowBalloon(std::u16string_view title, std::u16string_view text);
    // What the last paint pass showed, in words for screen readers.
    const GadgetReading& Reading() const { return reading_; }
    // Shows the settings dialog over the gadget; 1 when it committed the edits. Without one the
    // menu item is disabled.
    std::function<std::int32_t(QWidget* owner, std::int32_t tag)> settingsCommand;

    // GadgetWindow
    void SetBounds(const Rect& bounds) override;
    void SetColorKey(bool enabled, std::int32_t colour) override;
    void SetAlpha(std::uint8_t alpha) override;
    Point Position() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void LayoutAndOpacity();
    void PaintPass(bool fullPaint);
    void AnnounceChanges(const ReadingChanges& changes);
    void OnTimer();
    void ApplyRole();
    void PrepareNativeWindow();
    void ShowPixels();
    void FollowScreens();
    void OnDisplayChanged();
    void RepaintAfterSleep();
    void AfterFirstFrame();
    void SaveNow();
    void ShowDueReminders();
    void RecordReminderShown(const std::u16string& goalLine, const CivilDate& day);
    void OpenMenu(QPoint at);
    void ApplyNotificationIcon();
    void UpdateIconTip();
    Screens CurrentScreens() const;

    ExecuteSetting& setting_;
    GoalList& goals_;
    const LocalClock& clock_;
    const QtEnvironment& environment_;
    QtCanvas canvas_;
    QTimer timer_;
    // Several screen signals of one change come together: the gadget is laid out once after them.
    QTimer displayTimer_;
    QTimer wakeTimer_;
    Point laidOut_;
    std::int32_t titleBandHeight_ = 0;
    GadgetReading reading_;
    WindowRole role_;
    bool colorKeyEnabled_ = false;
    std::int32_t colorKey_ = 0;
    std::uint8_t alpha_ = 255;
    // What the window shows where its pixels carry their own alpha; else the canvas's image.
    QImage translucentPixels_;
    // A drag the program moves itself, where no window manager does (a bare X display, a dock).
    bool dragging_ = false;
    // Whether the user has dragged the window by its band since the last layout.
    bool draggedByUser_ = false;
    QPoint dragOffset_;
    bool firstFrameShown_ = false;
    // Made when the first reminder is due; the reminders asked for and not yet answered, by goal
    // line and day, so that a slow service is not asked twice.
    std::unique_ptr<DesktopNotifier> notifier_;
    std::set<std::u16string> remindersAsked_;
    // The notification-area icon, made when first wanted.
    std::unique_ptr<TrayIcon> tray_;
};

}  // namespace kestrival
