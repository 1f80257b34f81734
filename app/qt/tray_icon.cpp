#include "app/qt/tray_icon.h"

#include <QIcon>
#include <QPainter>
#include <QPixmap>

namespace kestrival {
namespace {

// How long a balloon stays, as on Windows XP.
constexpr int kBalloonMs = 10000;

QString Q(std::u16string_view text) { return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())); }

// The installed icon, else a drawn one in the gadget's default colours: a band over a panel.
QIcon ProgramIcon() {
    QPixmap drawn(32, 32);
    drawn.fill(QColor(0x77, 0x55, 0x77));
    QPainter painter(&drawn);
    painter.fillRect(2, 2, 28, 9, QColor(0x99, 0x99, 0xEE));
    painter.fillRect(2, 13, 28, 17, QColor(0xEE, 0xEE, 0xEE));
    painter.fillRect(5, 22, 16, 4, QColor(0x00, 0xDD, 0x00));
    painter.end();
    return QIcon::fromTheme(QStringLiteral("kestrival"), QIcon(drawn));
}

}  // namespace

TrayIcon::TrayIcon(std::function<void()> comeForward, std::function<void()> openMenu, QObject* parent)
    : QObject(parent), comeForward_(std::move(comeForward)), openMenu_(std::move(openMenu)) {
    icon_.setIcon(ProgramIcon());
    balloonTimer_.setSingleShot(true);
    connect(&balloonTimer_, &QTimer::timeout, this, [this] { BalloonEnded(); });
    // Queued: the menu may take the icon away, and the icon's window must not go while it is still
    // telling of the click.
    connect(
        &icon_, &QSystemTrayIcon::activated, this,
        [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) comeForward_();
            if (reason == QSystemTrayIcon::Context) openMenu_();
        },
        Qt::QueuedConnection);
    connect(
        &icon_, &QSystemTrayIcon::messageClicked, this,
        [this] {
            BalloonEnded();
            comeForward_();
        },
        Qt::QueuedConnection);
}

bool TrayIcon::AreaExists() { return QSystemTrayIcon::isSystemTrayAvailable(); }

void TrayIcon::SetShown(bool shown) {
    wanted_ = shown;
    if (shown)
        icon_.show();
    else if (!balloonTimer_.isActive())
        icon_.hide();
}

void TrayIcon::SetTip(std::u16string_view tip) {
    const QString text = Q(tip);
    if (icon_.toolTip() != text) icon_.setToolTip(text);
}

bool TrayIcon::ShowBalloon(std::u16string_view title, std::u16string_view text) {
    if (!AreaExists()) return false;
    icon_.show();
    icon_.showMessage(Q(title), Q(text), QSystemTrayIcon::Information, kBalloonMs);
    balloonTimer_.start(kBalloonMs);
    return true;
}

void TrayIcon::BalloonEnded() {
    balloonTimer_.stop();
    if (!wanted_) icon_.hide();
}

}  // namespace kestrival
