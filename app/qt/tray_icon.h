#pragma once
// The gadget's icon in the desktop's notification area (a status notifier item where the desktop
// has a watcher, the XEmbed system tray elsewhere): shown while the user keeps it on or while a
// balloon needs it, with the band's title and today's date as its tip. A left click asks for the
// gadget, a right click for its menu.
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>
#include <string_view>

namespace kestrival {

class TrayIcon final : public QObject {
public:
    // `comeForward` runs on a left click and on a click on a balloon, `openMenu` on a right click.
    TrayIcon(std::function<void()> comeForward, std::function<void()> openMenu, QObject* parent = nullptr);

    // Whether the desktop has a notification area to show an icon in.
    static bool AreaExists();
    // The user's choice; a balloon on show keeps the icon until the balloon goes.
    void SetShown(bool shown);
    bool Present() const { return icon_.isVisible(); }
    void SetTip(std::u16string_view tip);
    // A message from the icon, which shows for it and goes again with it when the user keeps it off.
    bool ShowBalloon(std::u16string_view title, std::u16string_view text);

private:
    void BalloonEnded();

    QSystemTrayIcon icon_;
    QTimer balloonTimer_;
    std::function<void()> comeForward_;
    std::function<void()> openMenu_;
    bool wanted_ = false;
};

}  // namespace kestrival
