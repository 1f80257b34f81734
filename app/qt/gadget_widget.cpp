#include "app/qt/gadget_widget.h"

#include <QAccessible>
#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QUrl>
#include <QWindow>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/gadget_rules.h"
#include "app/presence_rules.h"
#include "app/qt/autostart.h"
#include "app/qt/full_screen_watch.h"
#include "app/qt/tray_icon.h"
#include "app/qt/qt_environment.h"
#include "render/monitor_choice.h"
#include "render/painter.h"
#include "support/file_io.h"
#include "support/qt/first_frame.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

QString Q(const char16_t* text) { return QString::fromUtf16(text); }

xcb_atom_t Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

}  // namespace

GadgetWidget::GadgetWidget(ExecuteSetting& setting, GoalList& goals, const LocalClock& clock,
                           const QtEnvironment& environment)
    : QWidget(nullptr, Qt::FramelessWindowHint),
      setting_(setting),
      goals_(goals),
      clock_(clock),
      environment_(environment),
      canvas_(setting.Style.Font,
              ChooseQtFace(setting.Style.Font.face, (setting.Style.Font.points * kDesignDpi + 36) / 72),
              environment.ScreenDpi()) {
    setWindowTitle(Q(texts::kGadgetCaption));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { OnTimer(); });
    FollowScreens();
    wakeTimer_.setSingleShot(true);
    connect(&wakeTimer_, &QTimer::timeout, this, [this] { RepaintAfterSleep(); });
    // The minute timer does not count the time the machine sleeps: logind says when it wakes (and
    // when it goes to sleep, where a repaint does no harm). Without a system bus the timer alone
    // catches up.
    QDBusConnection::systemBus().connect(QString(), QStringLiteral("/org/freedesktop/login1"),
                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                         QStringLiteral("PrepareForSleep"), &wakeTimer_, SLOT(start()));
    ApplyStacking();
    LayoutAndOpacity();
    PaintPass(true);
    timer_.start(TimerInterval(TimeText(clock_.Now())));
    ApplyNotificationIcon();
}

GadgetWidget::~GadgetWidget() = default;

std::int32_t GadgetWidget::PositionDpi() const { return environment_.ScreenDpi(); }

Screens GadgetWidget::CurrentScreens() const {
    return Screens{environment_.ScreenSize(), PositionDpi(), environment_.DesktopBounds(), environment_.Monitors()};
}

void GadgetWidget::LayoutAndOpacity() {
    laidOut_ = LayoutGadget(setting_, canvas_, CurrentScreens(), *this);
    ApplyOpacity(*this, setting_.TR);
}

void GadgetWidget::SetBounds(const Rect& bounds) {
    const Size size{bounds.right - bounds.left, bounds.bottom - bounds.top};
    if (size != canvas_.ClientSize()) canvas_.Resize(size);
    setFixedSize(size.width, size.height);
    move(bounds.left, bounds.top);
}

void GadgetWidget::SetColorKey(bool enabled, std::int32_t colour) {
    colorKeyEnabled_ = enabled;
    colorKey_ = colour;
    canvas_.SetTextAntialiasing(!enabled);
    if (!enabled) clearMask();
}

// Window opacity needs a compositor; without one the gadget is drawn opaque, as on Xvfb.
void GadgetWidget::SetAlpha(std::uint8_t alpha) { setWindowOpacity(alpha / 255.0); }

Point GadgetWidget::Position() const { return {pos().x(), pos().y()}; }

void GadgetWidget::PaintPass(bool fullPaint) {
    const LocalDateTime now = clock_.Now();
    titleBandHeight_ = PaintGadget(canvas_, setting_, goals_, now, fullPaint);
    GadgetReading reading = ReadGadget(canvas_, setting_, goals_, now);
    AnnounceChanges(CompareReadings(reading_, reading));
    reading_ = std::move(reading);
    if (colorKeyEnabled_) {
        // The key colour cut away by a window mask: the same see-through background as Windows'
        // colour key, with or without a compositor.
        const auto key = static_cast<std::uint32_t>(colorKey_);
        const QColor colour(static_cast<int>(key & 0xFF), static_cast<int>((key >> 8) & 0xFF),
                            static_cast<int>((key >> 16) & 0xFF));
        setMask(QBitmap::fromImage(canvas_.Image().createMaskFromColor(colour.rgb(), Qt::MaskInColor)));
    }
    update();
}

// Tells screen readers, through whatever interface they were given for the gadget, what the last
// paint pass changed.
void GadgetWidget::AnnounceChanges(const ReadingChanges& changes) {
    if (!QAccessible::isActive() || !changes.Any()) return;
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(this);
    if (!window) return;
    auto announce = [](QAccessibleInterface* target, QAccessible::Event event) {
        if (!target) return;
        QAccessibleEvent announcement(target, event);
        QAccessible::updateAccessibility(&announcement);
    };
    if (changes.name) announce(window, QAccessible::NameChanged);
    if (changes.children) {
        announce(window, QAccessible::ObjectReorder);
        return;
    }
    auto each = [&](const std::vector<std::size_t>& panels, QAccessible::Event event) {
        for (std::size_t i : panels) announce(window->child(static_cast<int>(i)), event);
    };
    each(changes.panelNames, QAccessible::NameChanged);
    each(changes.panelDescriptions, QAccessible::DescriptionChanged);
    each(changes.panelBounds, QAccessible::LocationChanged);
}

void GadgetWidget::OnTimer() {
    PaintPass(false);
    UpdateIconTip();
    timer_.start(TimerInterval(TimeText(clock_.Now())));
}

void GadgetWidget::RepaintAfterSleep() {
    PaintPass(true);
    timer_.start(TimerInterval(TimeText(clock_.Now())));
}

void GadgetWidget::FollowScreens() {
    displayTimer_.setSingleShot(true);
    connect(&displayTimer_, &QTimer::timeout, this, [this] { OnDisplayChanged(); });
    auto watch = [this](QScreen* screen) {
        const auto changed = [this] { displayTimer_.start(0); };
        connect(screen, &QScreen::geometryChanged, this, changed);
        connect(screen, &QScreen::availableGeometryChanged, this, changed);
        connect(screen, &QScreen::logicalDotsPerInchChanged, this, changed);
    };
    for (QScreen* screen : QGuiApplication::screens()) watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        displayTimer_.start(0);
    });
    // Qt still lists a screen while it reports it removed: the layout waits for the event loop.
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] { displayTimer_.start(0); });
    connect(qApp, &QGuiApplication::primaryScreenChanged, this, [this] { displayTimer_.start(0); });
}

// Screens added, removed, resized or scaled: drawn at the primary screen's DPI; a gadget in its
// laid-out place is laid out again, so an anchored edge follows the screen's edge; a dragged one
// keeps its place unless it is now on no monitor. Nothing is saved here.
void GadgetWidget::OnDisplayChanged() {
    const Point at = Position();
    const bool dragged = at != laidOut_;
    const std::int32_t dpi = environment_.ScreenDpi();
    if (dpi != canvas_.Dpi()) canvas_.SetDpi(dpi);
    if (!dragged) {
        LayoutAndOpacity();
    } else {
        const Size size = GadgetSize(setting_, canvas_.TextExtent(u"H").height, dpi);
        const Point kept = KeptOnScreen(at, size, CurrentScreens());
        SetBounds({kept.x, kept.y, kept.x + size.width, kept.y + size.height});
    }
    PaintPass(true);
}

void GadgetWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, canvas_.Image());
    ReportFirstFrame();
}

void GadgetWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || setting_.LK != 0) return;
    const QPoint global = event->globalPosition().toPoint();
    if (!IsCaptionRow(global.y(), pos().y(), titleBandHeight_)) return;
    // A window manager moves the window itself; without one the program follows the pointer. On the
    // desktop the window is a dock, which window managers do not move (though they say they will).
    const bool onDesktop = StackingOf(setting_.ZO) == Stacking::kOnDesktop;
    if (!onDesktop && windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = global - pos();
}

void GadgetWidget::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
}

void GadgetWidget::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    // Some window managers raise a dock that is clicked: back below the other windows.
    if (StackingOf(setting_.ZO) == Stacking::kOnDesktop) lower();
}

void GadgetWidget::contextMenuEvent(QContextMenuEvent* event) { OpenMenu(event->globalPos()); }

void GadgetWidget::OpenMenu(QPoint at) {
    QMenu menu(this);
    QAction* settings = menu.addAction(Q(texts::kMenuSettings));
    settings->setEnabled(static_cast<bool>(settingsCommand));
    QAction* support = menu.addAction(Q(texts::kMenuSupport));
    menu.addSeparator();
    QMenu* stacking = menu.addMenu(Q(texts::kMenuStacking));
    QAction* stackings[] = {stacking->addAction(Q(texts::kMenuStackOrdinary)),
                            stacking->addAction(Q(texts::kMenuStackOnTop)),
                            stacking->addAction(Q(texts::kMenuStackOnDesktop))};
    for (QAction* action : stackings) action->setCheckable(true);
    stackings[static_cast<int>(StackingOf(setting_.ZO))]->setChecked(true);
    const std::vector<Monitor> monitorList = environment_.Monitors();
    QMenu* monitorMenu = menu.addMenu(Q(texts::kMenuMonitor));
    std::vector<QAction*> monitors;
    const std::size_t ownMonitor = MonitorOfWindow(WindowBounds(), monitorList);
    for (const std::u16string& text : MonitorMenuTexts(monitorList)) {
        QAction* item = monitorMenu->addAction(QString::fromStdU16String(text));
        item->setCheckable(true);
        item->setChecked(monitors.size() == ownMonitor);
        monitors.push_back(item);
    }
    QAction* lock = menu.addAction(Q(texts::kMenuLockPosition));
    lock->setCheckable(true);
    lock->setChecked(setting_.LK != 0);
    QAction* clickThrough = menu.addAction(Q(texts::kMenuClickThrough));
    clickThrough->setCheckable(true);
    clickThrough->setChecked(setting_.CT != 0);
    QAction* fullScreen = menu.addAction(Q(texts::kMenuHideUnderFullScreen));
    fullScreen->setCheckable(true);
    fullScreen->setChecked(setting_.FH != 0);
    QAction* trayIcon = menu.addAction(Q(texts::kMenuNotificationIcon));
    trayIcon->setCheckable(true);
    trayIcon->setChecked(setting_.TI != 0);
    trayIcon->setEnabled(TrayIcon::AreaExists());
    QAction* autostart = menu.addAction(Q(texts::kMenuStartAtLogin));
    autostart->setCheckable(true);
    autostart->setChecked(StartsAtLogin(environment_.ProgramPath()));
    menu.addSeparator();
    QAction* quit = menu.addAction(Q(texts::kMenuQuit));

    QAction* chosen = menu.exec(at);
    if (!chosen) return;
    if (chosen == quit) {
        close();
    } else if (chosen == support) {
        // The help page beside the program or installed with the package, else the web page.
        std::u16string folder = setting_.ProgramFolder;
        if (!FileExists(folder + kHelpPageName)) folder = u"/usr/share/doc/kestrival/";
        const std::u16string target = SupportTarget(folder, FileExists(folder + kHelpPageName));
        if (!target.empty()) {
            const QString text = QString::fromStdU16String(target);
            QDesktopServices::openUrl(target.front() == u'/' ? QUrl::fromLocalFile(text) : QUrl(text));
        }
    } else if (chosen == settings) {
        if (settingsCommand && settingsCommand(this, SettingsDialogTag(Position(), laidOut_)) == 1) {
            LayoutAndOpacity();
            PaintPass(true);
            UpdateIconTip();
            SaveNow();
        }
    } else if (const auto found = std::find(monitors.begin(), monitors.end(), chosen); found != monitors.end()) {
        ChooseMonitor(static_cast<std::size_t>(found - monitors.begin()));
    } else if (chosen == clickThrough) {
        setting_.CT = setting_.CT != 0 ? 0 : 1;
        ApplyClickThrough();
        ApplyNotificationIcon();
        SaveNow();
    } else if (chosen == fullScreen) {
        setting_.FH = setting_.FH != 0 ? 0 : 1;
        ApplyFullScreenHiding();
        SaveNow();
    } else if (chosen == trayIcon) {
        setting_.TI = setting_.TI != 0 ? 0 : 1;
        ApplyNotificationIcon();
        SaveNow();
    } else if (chosen == lock) {
        setting_.LK = setting_.LK != 0 ? 0 : 1;
        SaveNow();
    } else if (chosen == autostart) {
        SetStartAtLogin(!StartsAtLogin(environment_.ProgramPath()), environment_.ProgramPath(),
                        setting_.StartedLocal());
    } else {
        for (int i = 0; i < 3; ++i) {
            if (chosen == stackings[i]) setting_.ZO = i;
        }
        ApplyStacking();
        SaveNow();
    }
}

// Made only when wanted: a gadget without the icon never talks to a tray.
void GadgetWidget::ApplyNotificationIcon() {
    const bool wanted = WantsNotificationIcon(setting_);
    if (!wanted && !tray_) return;
    if (!tray_) {
        tray_ = std::make_unique<TrayIcon>([this] { ComeForward(); }, [this] { OpenMenu(QCursor::pos()); });
        UpdateIconTip();
    }
    tray_->SetShown(wanted);
}

void GadgetWidget::UpdateIconTip() {
    if (tray_) tray_->SetTip(IconTip(setting_.TITLE, clock_.Now().date));
}

bool GadgetWidget::ShowBalloon(std::u16string_view title, std::u16string_view text) {
    if (!tray_) {
        tray_ = std::make_unique<TrayIcon>([this] { ComeForward(); }, [this] { OpenMenu(QCursor::pos()); });
        UpdateIconTip();
    }
    return tray_->ShowBalloon(title, text);
}

void GadgetWidget::SaveNow() { ReportSave(SaveWithPlace(), setting_); }

SaveOutcome GadgetWidget::SaveWithPlace() {
    return SaveWithPosition(setting_, goals_, Position(), laidOut_, canvas_.ClientSize(), CurrentScreens());
}

// Kept above or below other windows by the window manager's hints. "On the desktop" is a dock kept
// below: window managers leave docks in place when the user shows the desktop and show them on
// every virtual desktop, as the desktop itself. The other two are tool windows.
void GadgetWidget::ApplyStacking() {
    const Stacking stacking = StackingOf(setting_.ZO);
    Qt::WindowFlags flags = Qt::FramelessWindowHint | (stacking == Stacking::kOnDesktop ? Qt::Window : Qt::Tool);
    if (stacking == Stacking::kOnTop) flags |= Qt::WindowStaysOnTopHint;
    if (stacking == Stacking::kOnDesktop) flags |= Qt::WindowStaysOnBottomHint;
    if (flags == windowFlags()) return;
    // The window manager reads a window's type and states when it maps it, and forgets its states
    // when it is withdrawn, at a moment of its own choosing: a window that was shown is replaced
    // by a new native window, which the show prepares before it is mapped.
    const bool visible = isVisible();
    if (visible) {
        hide();
        destroy();
    }
    setWindowFlags(flags);
    if (visible) show();
}

// What the window manager reads once, when the window is mapped: no taskbar or pager entry, and for
// the desktop stacking the dock type and every virtual desktop (STICKY, and the desktop number
// "all" for window managers that know no STICKY). Set on every show, as a change of stacking makes
// a new window.
void GadgetWidget::showEvent(QShowEvent* event) {
    PrepareNativeWindow();
    QWidget::showEvent(event);
    ApplyClickThrough();
    // Some window managers map a new dock above the windows already there.
    if (StackingOf(setting_.ZO) == Stacking::kOnDesktop) QTimer::singleShot(0, this, [this] { lower(); });
}

void GadgetWidget::PrepareNativeWindow(bool states) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* connection = x11->connection();
    const auto window = static_cast<xcb_window_t>(winId());
    const bool onDesktop = StackingOf(setting_.ZO) == Stacking::kOnDesktop;
    std::vector<xcb_atom_t> netStates = {Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                         Atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    if (onDesktop) netStates.push_back(Atom(connection, "_NET_WM_STATE_STICKY"));
    // Qt adds its own states (above, below) to these when it maps the window; once it is mapped they
    // are the window manager's.
    if (states) {
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM,
                            32, static_cast<std::uint32_t>(netStates.size()), netStates.data());
    }
    const xcb_atom_t desktop = Atom(connection, "_NET_WM_DESKTOP");
    if (onDesktop) {
        // Qt writes the type when it makes the window and not again when it maps it.
        const xcb_atom_t dock = Atom(connection, "_NET_WM_WINDOW_TYPE_DOCK");
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom(connection, "_NET_WM_WINDOW_TYPE"),
                            XCB_ATOM_ATOM, 32, 1, &dock);
        const std::uint32_t allDesktops = 0xFFFFFFFF;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    } else {
        xcb_delete_property(connection, window, desktop);
    }
    xcb_flush(connection);
}

// Laid out at its anchors on the chosen monitor, which it keeps from now on.
void GadgetWidget::ChooseMonitor(std::size_t index) {
    const std::vector<Monitor> monitors = environment_.Monitors();
    if (index >= monitors.size()) return;
    setting_.MON = MonitorKeyOfChoice(index, monitors);
    LayoutAndOpacity();
    PaintPass(true);
    SaveNow();
}

Rect GadgetWidget::WindowBounds() const { return {pos().x(), pos().y(), pos().x() + width(), pos().y() + height()}; }

void GadgetWidget::ShowFirstTime() {
    show();
    ApplyFullScreenHiding();
}

// The watch hides the gadget while a full-screen window covers its monitor and shows it again
// after. Turned off, it goes, and a gadget it hid comes back.
void GadgetWidget::ApplyFullScreenHiding() {
    if (setting_.FH == 0) {
        const bool wasHidden = fullScreenWatch_ && fullScreenWatch_->Hidden();
        fullScreenWatch_.reset();
        if (wasHidden) show();
        return;
    }
    if (!fullScreenWatch_)
        fullScreenWatch_ = std::make_unique<FullScreenWatch>(*this, [this](bool hide) {
            if (hide)
                this->hide();
            else
                show();
        });
}

void GadgetWidget::AnswerSecondStart() {
    if (TurnOffClickThroughOnSecondStart(setting_)) {
        ApplyClickThrough();
        ApplyNotificationIcon();
        SaveNow();
    }
    ComeForward();
}

// Every click goes to what lies beneath: the window's input region is emptied. Only the native
// window's flag changes, so the window is not made anew; the window manager's hints that the
// flag rewrites are written again.
void GadgetWidget::ApplyClickThrough() {
    QWindow* native = windowHandle();
    if (!native) return;
    const bool on = setting_.CT != 0;
    if (native->flags().testFlag(Qt::WindowTransparentForInput) == on) return;
    native->setFlag(Qt::WindowTransparentForInput, on);
    PrepareNativeWindow(false);
}

void GadgetWidget::ComeForward() {
    show();
    raise();
    activateWindow();
}

void GadgetWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    QApplication::quit();
}

}  // namespace kestrival
