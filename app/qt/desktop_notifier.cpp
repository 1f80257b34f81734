#include "app/qt/desktop_notifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

#include "support/ui_texts.h"

namespace kestrival {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The installed icon and desktop entry share the program's name.
const QString kIconName = QStringLiteral("kestrival");
const QString kDefaultAction = QStringLiteral("default");

}  // namespace

DesktopNotifier::DesktopNotifier(QObject* parent) : QObject(parent) {}

void DesktopNotifier::ListenOnce() {
    if (listening_) return;
    listening_ = true;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(OnActionInvoked(uint, QString)));
    bus.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this, SLOT(OnClosed(uint, uint)));
}

void DesktopNotifier::Show(const QString& title, const QString& text, std::function<void(bool shown)> done) {
    ListenOnce();
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("suppress-sound"), true},
                            {QStringLiteral("desktop-entry"), kIconName},
                            {QStringLiteral("urgency"), QVariant::fromValue(static_cast<uchar>(1))}};
    // The default action is what a click on the notification does; its label is seldom shown.
    const QStringList actions{kDefaultAction, QString::fromUtf16(texts::kProductCaption)};
    call << QString::fromUtf16(texts::kProductCaption) << 0u << kIconName << title << text << actions << hints << -1;
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, done = std::move(done)](QDBusPendingCallWatcher* finished) {
                const QDBusPendingReply<uint> reply = *finished;
                finished->deleteLater();
                if (!reply.isError()) ours_.insert(reply.value());
                if (done) done(!reply.isError());
            });
}

void DesktopNotifier::OnActionInvoked(uint id, const QString& action) {
    if (action == kDefaultAction && ours_.count(id) != 0 && onActivated) onActivated();
}

void DesktopNotifier::OnClosed(uint id, uint) { ours_.erase(id); }

}  // namespace kestrival
