#pragma once
// Reminders on the Linux desktop: notifications through the freedesktop.org notification service
// on the session bus. The bus is reached only when a reminder is first shown, so a gadget without
// reminders never connects to it.
#include <QObject>
#include <QString>

#include <functional>
#include <set>

namespace kestrival {

class DesktopNotifier final : public QObject {
    Q_OBJECT

public:
    explicit DesktopNotifier(QObject* parent = nullptr);

    // Asks the service to show a notification without sound. `done` is told, once the service
    // answered or the call failed, whether the service took it.
    void Show(const QString& title, const QString& text, std::function<void(bool shown)> done);
    // A click on one of this gadget's notifications (its default action).
    std::function<void()> onActivated;

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    void ListenOnce();

    bool listening_ = false;
    std::set<uint> ours_;
};

}  // namespace kestrival
