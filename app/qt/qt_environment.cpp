#include "app/qt/qt_environment.h"

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QLatin1String>
#include <QScreen>
#include <QStandardPaths>

#include <xcb/xcb.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "app/qt/x11_atom.h"
#include "support/display_scale.h"
#include "support/text.h"

namespace kestrival {

std::vector<std::u16string> QtEnvironment::Arguments() const {
    std::vector<std::u16string> arguments;
    for (const QString& argument : QCoreApplication::arguments()) arguments.push_back(argument.toStdU16String());
    return arguments;
}

std::u16string QtEnvironment::ProgramPath() const {
    // The kernel's link holds the path's bytes as they are; Qt decodes them as UTF-8 and answers
    // nothing for a folder whose name is not, which would put a LOCAL file in the working folder.
    std::string path(4096, '\0');
    const ssize_t length = ::readlink("/proc/self/exe", path.data(), path.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= path.size() || path[0] != '/') {
        return QCoreApplication::applicationFilePath().toStdU16String();
    }
    path.resize(static_cast<std::size_t>(length));
    // A program file replaced while it runs (an upgrade) is shown with this mark after its path.
    constexpr std::string_view kDeleted = " (deleted)";
    struct stat info {};
    if (path.ends_with(kDeleted) && ::lstat(path.c_str(), &info) != 0) path.resize(path.size() - kDeleted.size());
    return FromPathBytes(path);
}

std::optional<std::u16string> QtEnvironment::DocumentsFolder() const {
    // Qt reads XDG_DOCUMENTS_DIR from user-dirs.dirs and falls back to ~/Documents.
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty()) folder = QDir::homePath() + QStringLiteral("/Documents");
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    return folder.toStdU16String();
}

Size QtEnvironment::ScreenSize() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return {1024, 768};
    return {screen->geometry().width(), screen->geometry().height()};
}

Rect QtEnvironment::DesktopBounds() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return Environment::DesktopBounds();
    const QRect all = screen->virtualGeometry();
    return {all.left(), all.top(), all.left() + all.width(), all.top() + all.height()};
}

std::vector<Monitor> QtEnvironment::Monitors() const {
    auto rect = [](const QRect& r) { return Rect{r.left(), r.top(), r.left() + r.width(), r.top() + r.height()}; };
    std::vector<Monitor> monitors;
    const QScreen* primary = QGuiApplication::primaryScreen();
    for (const QScreen* screen : QGuiApplication::screens()) {
        const Monitor entry{rect(screen->geometry()), rect(screen->availableGeometry())};
        // The primary first, so that it wins when two monitors are as near.
        if (screen == primary)
            monitors.insert(monitors.begin(), entry);
        else
            monitors.push_back(entry);
    }
    if (monitors.empty()) return Environment::Monitors();
    return monitors;
}

std::int32_t QtEnvironment::ScreenDpi() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return kDesignDpi;
    const auto dpi = static_cast<std::int32_t>(std::lround(screen->logicalDotsPerInch()));
    return dpi >= 48 && dpi <= 480 ? dpi : kDesignDpi;
}

DisplayKind QtEnvironment::Display() const {
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return DisplayKind::kWayland;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return DisplayKind::kX11;
    // A compositing manager owns the selection _NET_WM_CM_Sn of the screen it composites.
    xcb_connection_t* connection = x11->connection();
    const xcb_atom_t selection = X11Atom(connection, "_NET_WM_CM_S0");
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool composited = reply && reply->owner != XCB_WINDOW_NONE;
    std::free(reply);
    return composited ? DisplayKind::kX11Composited : DisplayKind::kX11;
}

}  // namespace kestrival
