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

#include <array>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/gadget_rules.h"
#include "app/presence_rules.h"
#include "app/qt/autostart.h"
#include "app/qt/desktop_notifier.h"
#include "app/reminders.h"
#include "app/qt/tray_icon.h"
#include "app/qt/qt_environment.h"
#include "app/qt/x11_atom.h"
#include "render/painter.h"
#include "render/qt/translucent_image.h"
#include "support/file_io.h"
#include "support/qt/first_frame.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

QString Q(const char16_t* text) { return QString::fromUtf16(text); }

// The atoms the window's hints name, interned in one round trip to the X server: the requests go
// out together and the replies are read after them (one request and reply each would cost a wait
// for the server apiece before the first frame).
enum Atom : std::size_t { kSkipTaskbar, kSkipPager, kSticky, kState, kDesktop, kDock, kWindowType, kAtomCount };
constexpr const char* kAtomNames[kAtomCount] = {"_NET_WM_STATE_SKIP_TASKBAR",
                                                "_NET_WM_STATE_SKIP_PAGER",
                                                "_NET_WM_STATE_STICKY",
                                                "_NET_WM_STATE",
                                                "_NET_WM_DESKTOP",
                                                "_NET_WM_WINDOW_TYPE_DOCK",
                                                "_NET_WM_WINDOW_TYPE"};

std::array<xcb_atom_t, kAtomCount> InternAtoms(xcb_connection_t* connection) {
    std::array<xcb_intern_atom_cookie_t, kAtomCount> cookies{};
    for (std::size_t i = 0; i < kAtomCount; ++i) {
        cookies[i] =
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(kAtomNames[i])), kAtomNames[i]);
    }
    std::array<xcb_atom_t, kAtomCount> atoms{};
    for (std::size_t i = 0; i < kAtomCount; ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookies[i], nullptr);
        atoms[i] = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
    }
    return atoms;
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
    ApplyRole();
    LayoutAndOpacity();
    PaintPass(true);
    timer_.start(TimerInterval(TimeText(clock_.Now())));
    ApplyNotificationIcon();
    // Reminders missed while the gadget was not running, once the window is up.
    QTimer::singleShot(0, this, [this] { ShowDueReminders(); });
}

GadgetWidget::~GadgetWidget() = default;

std::int32_t GadgetWidget::PositionDpi() const { return environment_.ScreenDpi(); }

Screens GadgetWidget::CurrentScreens() const {
    return Screens{environment_.ScreenSize(), PositionDpi(), environment_.DesktopBounds(), environment_.Monitors()};
}

void GadgetWidget::LayoutAndOpacity() {
    laidOut_ = LayoutGadget(setting_, canvas_, CurrentScreens(), *this);
    draggedByUser_ = false;
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

// Where pixels carry their own alpha the next paint pass blends them; else the window's opacity,
// which needs a compositor (without one the gadget is drawn opaque, as on Xvfb).
void GadgetWidget::SetAlpha(std::uint8_t alpha) {
    alpha_ = alpha;
    if (!role_.pixelAlpha) setWindowOpacity(alpha / 255.0);
}

// The window stands where the layout put it until the user drags it: a place the window manager
// chose itself (sway centres X11 windows) is not the user's, and the file keeps its anchors. Where
// the compositor places the window the program learns nothing of a drag.
Point GadgetWidget::Position() const {
    if (!role_.placesItself || !draggedByUser_) return laidOut_;
    return {pos().x(), pos().y()};
}

void GadgetWidget::PaintPass(bool fullPaint) {
    const QImage before = canvas_.Image();  // shares the pixels until the pass draws
    const LocalDateTime now = clock_.Now();
    titleBandHeight_ = PaintGadget(canvas_, setting_, goals_, now, fullPaint);
    GadgetReading reading = ReadGadget(canvas_, setting_, goals_, now);
    AnnounceChanges(CompareReadings(reading_, reading));
    reading_ = std::move(reading);
    // Most minutes change no pixel. Showing the same frame again would wake the program and the
    // display server a few more times a minute for nothing.
    if (!fullPaint && canvas_.Image() == before) return;
    ShowPixels();
}

// The painted picture to the window. Where a compositor blends the window, every pixel carries the
// window's alpha and the key colour's pixels are transparent. The key colour is also cut away by a
// window mask, so that clicks there reach the windows below as they do through Windows' colour key;
// without a compositor the mask alone makes the background see-through.
void GadgetWidget::ShowPixels() {
    if (role_.pixelAlpha) {
        translucentPixels_ =
            TranslucentPixels(canvas_.Image(), alpha_, colorKeyEnabled_ ? std::optional(colorKey_) : std::nullopt);
    } else {
        translucentPixels_ = QImage();
    }
    if (colorKeyEnabled_) {
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
    ShowDueReminders();
    UpdateIconTip();
    timer_.start(TimerInterval(TimeText(clock_.Now())));
}

void GadgetWidget::RepaintAfterSleep() {
    PaintPass(true);
    ShowDueReminders();
    timer_.start(TimerInterval(TimeText(clock_.Now())));
}

// Each due reminder becomes a desktop notification; it is recorded as shown only once the
// notification service took it, so without a service it stays due for the next pass. A gadget
// without reminders never gets here far enough to reach the session bus.
void GadgetWidget::ShowDueReminders() {
    if (!AnyReminders(setting_)) return;
    const CivilDate today = clock_.Now().date;
    for (const DueReminder& due : DueReminders(setting_, goals_, today)) {
        const std::u16string line = goals_.LineAt(due.goal);
        const std::u16string asked = line + u'\n' + DateText(today);
        if (!remindersAsked_.insert(asked).second) continue;
        if (!notifier_) {
            notifier_ = std::make_unique<DesktopNotifier>();
            notifier_->onActivated = [this] { ComeForward(); };
        }
        const ReminderMessage message = ReminderMessageOf(setting_, goals_, due, today);
        notifier_->Show(QString::fromStdU16String(message.title), QString::fromStdU16String(message.text),
                        [this, asked, line, today](bool shown) {
                            remindersAsked_.erase(asked);
                            if (shown) RecordReminderShown(line, today);
                        });
    }
}

// The goal is found by its line: the settings dialog may have moved it meanwhile. The save is
// quiet: a notice would take the focus the reminder was careful not to take.
void GadgetWidget::RecordReminderShown(const std::u16string& goalLine, const CivilDate& day) {
    bool found = false;
    for (std::int32_t i = 0; i < goals_.Count(); ++i) {
        if (goals_.LineView(static_cast<std::size_t>(i)) != goalLine) continue;
        MarkReminderShown(setting_, i, day);
        found = true;
    }
    if (found) SaveWithPosition(setting_, goals_, Position(), laidOut_, PositionDpi());
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
    if (role_.pixelAlpha && !translucentPixels_.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(0, 0, translucentPixels_);
    } else {
        painter.drawImage(0, 0, canvas_.Image());
    }
    ReportFirstFrame();
    if (!firstFrameShown_) {
        firstFrameShown_ = true;
        QTimer::singleShot(0, this, [this] { AfterFirstFrame(); });
    }
}

// What a start leaves until the gadget is on the screen.
void GadgetWidget::AfterFirstFrame() {
    setting_.RemoveLeftovers();
    // The minute timer does not count the time the machine sleeps: logind says when it wakes (and
    // when it goes to sleep, where a repaint does no harm). Without a system bus the timer alone
    // catches up. Connecting to the bus starts the D-Bus thread and costs a round trip to the bus.
    QDBusConnection::systemBus().connect(QString(), QStringLiteral("/org/freedesktop/login1"),
                                         QStringLiteral("org.freedesktop.login1.Manager"),
                                         QStringLiteral("PrepareForSleep"), &wakeTimer_, SLOT(start()));
}

void GadgetWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || setting_.LK != 0) return;
    const QPoint global = event->globalPosition().toPoint();
    if (!IsCaptionRow(global.y(), pos().y(), titleBandHeight_)) return;
    // A window manager moves the window itself; without one the program follows the pointer. A dock
    // the program moves itself: window managers do not move one (though they say they will). On
    // Wayland only the compositor can move a window.
    draggedByUser_ = true;
    const bool systemMove = role_.drag != DragMove::kOwn && windowHandle() && windowHandle()->startSystemMove();
    if (systemMove || role_.drag == DragMove::kCompositor) return;
    dragging_ = true;
    dragOffset_ = global - pos();
}

void GadgetWidget::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
}

void GadgetWidget::mouseReleaseEvent(QMouseEvent*) {
    dragging_ = false;
    // Some window managers raise a dock that is clicked: back below the other windows.
    if (role_.type == WindowType::kDock) lower();
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
    QAction* lock = menu.addAction(Q(texts::kMenuLockPosition));
    lock->setCheckable(true);
    lock->setChecked(setting_.LK != 0);
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
        ApplyRole();
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

void GadgetWidget::SaveNow() {
    ReportSave(SaveWithPosition(setting_, goals_, Position(), laidOut_, PositionDpi()), setting_);
}

// The window's role for the stacking on this display (app/window_role.h) turned into Qt's flags
// and attributes; the X11 hints follow when the window is shown (PrepareNativeWindow).
void GadgetWidget::ApplyRole() {
    const WindowRole role = RoleFor(StackingOf(setting_.ZO), environment_.Display());
    Qt::WindowFlags flags = Qt::FramelessWindowHint | (role.type == WindowType::kTool ? Qt::Tool : Qt::Window);
    if (role.keepAbove) flags |= Qt::WindowStaysOnTopHint;
    if (role.keepBelow) flags |= Qt::WindowStaysOnBottomHint;
    const bool pixelAlphaChanged = role.pixelAlpha != role_.pixelAlpha;
    role_ = role;
    if (flags == windowFlags() && !pixelAlphaChanged) return;
    // The window manager reads a window's type and states when it maps it, and forgets its states
    // when it is withdrawn, at a moment of its own choosing: a window that was shown is replaced
    // by a new native window, which the show prepares before it is mapped. The same holds for a
    // window with alpha in its pixels, which needs a visual of 32 bits from its start.
    const bool visible = isVisible();
    if (visible) {
        hide();
        destroy();
    }
    setAttribute(Qt::WA_TranslucentBackground, role.pixelAlpha);
    setAttribute(Qt::WA_OpaquePaintEvent, !role.pixelAlpha);
    setWindowFlags(flags);
    if (role.pixelAlpha) setWindowOpacity(1.0);
    if (visible) {
        ShowPixels();
        show();
    }
}

// What the window manager reads once, when the window is mapped: no taskbar or pager entry, and for
// the desktop stacking the dock type and every virtual desktop (STICKY, and the desktop number
// "all" for window managers that know no STICKY). Set on every show, as a change of stacking makes
// a new window.
void GadgetWidget::showEvent(QShowEvent* event) {
    PrepareNativeWindow();
    QWidget::showEvent(event);
    // Some window managers map a new dock above the windows already there.
    if (role_.type == WindowType::kDock) QTimer::singleShot(0, this, [this] { lower(); });
}

void GadgetWidget::PrepareNativeWindow() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* connection = x11->connection();
    const auto window = static_cast<xcb_window_t>(winId());
    const std::array<xcb_atom_t, kAtomCount> atoms = InternAtoms(connection);
    std::vector<xcb_atom_t> states;
    if (role_.skipTaskbar) {
        states.push_back(atoms[kSkipTaskbar]);
        states.push_back(atoms[kSkipPager]);
    }
    if (role_.allDesktops) states.push_back(atoms[kSticky]);
    // Qt adds its own states (above, below) to these when it maps the window.
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atoms[kState], XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());
    if (role_.type == WindowType::kDock) {
        // Qt writes the type when it makes the window and not again when it maps it.
        const xcb_atom_t dock = atoms[kDock];
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, atoms[kWindowType], XCB_ATOM_ATOM, 32, 1, &dock);
    }
    const xcb_atom_t desktop = atoms[kDesktop];
    if (role_.allDesktops) {
        const std::uint32_t allDesktops = 0xFFFFFFFF;
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, desktop, XCB_ATOM_CARDINAL, 32, 1, &allDesktops);
    } else {
        xcb_delete_property(connection, window, desktop);
    }
    xcb_flush(connection);
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
