#include "app/qt/gadget_widget.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QUrl>
#include <QWindow>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/gadget_rules.h"
#include "app/qt/autostart.h"
#include "app/qt/gadget_accessible.h"
#include "app/qt/qt_environment.h"
#include "render/painter.h"
#include "support/file_io.h"
#include "support/qt/first_frame.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

QString Q(const char16_t* text) { return QString::fromUtf16(text); }

}  // namespace

GadgetWidget::GadgetWidget(ExecuteSetting& setting, GoalList& goals, const LocalClock& clock,
                           const QtEnvironment& environment)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint),
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
    ApplyStacking();
    LayoutAndOpacity();
    PaintPass(true);
    timer_.start(TimerInterval(TimeText(clock_.Now())));
}

std::int32_t GadgetWidget::PositionDpi() const { return environment_.ScreenDpi(); }

Screens GadgetWidget::CurrentScreens() const {
    return Screens{environment_.ScreenSize(), PositionDpi(), environment_.DesktopBounds()};
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
    AnnounceReadingChanges(*this, reading_, reading);
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

void GadgetWidget::OnTimer() {
    PaintPass(false);
    timer_.start(TimerInterval(TimeText(clock_.Now())));
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
    // A window manager moves the window itself; without one the program follows the pointer.
    if (windowHandle() && windowHandle()->startSystemMove()) return;
    dragging_ = true;
    dragOffset_ = global - pos();
}

void GadgetWidget::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_) move(event->globalPosition().toPoint() - dragOffset_);
}

void GadgetWidget::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

void GadgetWidget::contextMenuEvent(QContextMenuEvent* event) {
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
    QAction* autostart = menu.addAction(Q(texts::kMenuStartAtLogin));
    autostart->setCheckable(true);
    autostart->setChecked(StartsAtLogin(environment_.ProgramPath()));
    menu.addSeparator();
    QAction* quit = menu.addAction(Q(texts::kMenuQuit));

    QAction* chosen = menu.exec(event->globalPos());
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
            SaveNow();
        }
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

void GadgetWidget::SaveNow() {
    ReportSave(SaveWithPosition(setting_, goals_, Position(), laidOut_, PositionDpi()), setting_);
}

// Kept above or below other windows by the window manager's hints; "on the desktop" also shows on
// every virtual desktop, as the desktop itself does.
void GadgetWidget::ApplyStacking() {
    const Stacking stacking = StackingOf(setting_.ZO);
    const bool visible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, stacking == Stacking::kOnTop);
    setWindowFlag(Qt::WindowStaysOnBottomHint, stacking == Stacking::kOnDesktop);
    SkipTaskbar();
    if (visible) show();
}

// Qt's tool windows still appear in taskbars and pagers; the EWMH state says they should not. Set
// before the window is mapped.
void GadgetWidget::SkipTaskbar() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    xcb_connection_t* connection = x11->connection();
    auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
        return value;
    };
    const xcb_atom_t state = atom("_NET_WM_STATE");
    std::vector<xcb_atom_t> states = {atom("_NET_WM_STATE_SKIP_TASKBAR"), atom("_NET_WM_STATE_SKIP_PAGER")};
    if (StackingOf(setting_.ZO) == Stacking::kOnDesktop) states.push_back(atom("_NET_WM_STATE_STICKY"));
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(winId()), state, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());
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
