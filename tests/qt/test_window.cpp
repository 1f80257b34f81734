// A plain coloured window for the window-manager tests: "desktop COLOUR" covers the screen as a
// desktop shell's window does (icons, wallpaper), "normal COLOUR X Y W H" is an ordinary window.
#include <QApplication>
#include <QScreen>
#include <QWidget>
#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// The desktop type, written before the window is mapped (Qt keeps it from then on).
void MarkAsDesktop(QWidget& window) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) return;
    xcb_connection_t* connection = x11->connection();
    auto atom = [connection](const char* name) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
            connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t value = reply ? reply->atom : 0;
        std::free(reply);
        return value;
    };
    const xcb_atom_t type = atom("_NET_WM_WINDOW_TYPE_DESKTOP");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window.winId()),
                        atom("_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &type);
    xcb_flush(connection);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const bool desktop = arguments.size() == 3 && arguments[1] == QLatin1String("desktop");
    if (!desktop && !(arguments.size() == 7 && arguments[1] == QLatin1String("normal"))) {
        std::fprintf(stderr, "usage: desktop COLOUR | normal COLOUR X Y W H\n");
        return 2;
    }
    QWidget window;
    window.setWindowTitle(QStringLiteral("kestrival-test-") + arguments[1]);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(arguments[2]));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    if (desktop) {
        window.setWindowFlag(Qt::FramelessWindowHint);
        window.setGeometry(QGuiApplication::primaryScreen()->geometry());
        MarkAsDesktop(window);
    } else {
        window.setGeometry(arguments[3].toInt(), arguments[4].toInt(), arguments[5].toInt(), arguments[6].toInt());
    }
    window.show();
    return QApplication::exec();
}
