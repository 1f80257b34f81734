#include "app/qt/full_screen_watch.h"

#include <QApplication>
#include <QScreen>
#include <QWidget>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "app/presence_rules.h"

namespace kestrival {
namespace {

struct FreeDeleter {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename Reply>
using ReplyPtr = std::unique_ptr<Reply, FreeDeleter>;

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
    const ReplyPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
}

// The atoms or windows a property holds (32-bit values), empty when it has none.
std::vector<std::uint32_t> PropertyValues(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property) {
    const ReplyPtr<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 64), nullptr));
    if (!reply || reply->format != 32) return {};
    const auto* values = static_cast<const std::uint32_t*>(xcb_get_property_value(reply.get()));
    const int count = xcb_get_property_value_length(reply.get()) / 4;
    return std::vector<std::uint32_t>(values, values + count);
}

// Events on another client's window are asked for without waiting for an answer: the window may
// be gone already, and the error that brings is of no interest.
void SelectEvents(xcb_connection_t* connection, xcb_window_t window, std::uint32_t mask) {
    const xcb_void_cookie_t cookie = xcb_change_window_attributes_checked(connection, window, XCB_CW_EVENT_MASK, &mask);
    xcb_discard_reply(connection, cookie.sequence);
}

}  // namespace

FullScreenWatch::FullScreenWatch(QWidget& gadget, std::function<void(bool)> hide)
    : gadget_(gadget), hide_(std::move(hide)) {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) return;
    connection_ = x11->connection();
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection_)).data->root;
    activeAtom_ = InternAtom(connection_, "_NET_ACTIVE_WINDOW");
    stateAtom_ = InternAtom(connection_, "_NET_WM_STATE");
    typeAtom_ = InternAtom(connection_, "_NET_WM_WINDOW_TYPE");
    desktopTypeAtom_ = InternAtom(connection_, "_NET_WM_WINDOW_TYPE_DESKTOP");
    // Added to whatever Qt itself asks of the root window.
    const ReplyPtr<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection_, xcb_get_window_attributes(connection_, root_), nullptr));
    const std::uint32_t rootMask =
        (attributes ? attributes->your_event_mask : 0u) | static_cast<std::uint32_t>(XCB_EVENT_MASK_PROPERTY_CHANGE);
    xcb_change_window_attributes(connection_, root_, XCB_CW_EVENT_MASK, &rootMask);
    xcb_flush(connection_);
    qApp->installNativeEventFilter(this);
    Check();
}

FullScreenWatch::~FullScreenWatch() {
    if (!connection_) return;
    qApp->removeNativeEventFilter(this);
    Follow(XCB_NONE);
    xcb_flush(connection_);
}

bool FullScreenWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    switch (event->response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* change = static_cast<const xcb_property_notify_event_t*>(message);
            if ((change->window == root_ && change->atom == activeAtom_) ||
                (change->window == followed_ && change->window != XCB_NONE && change->atom == stateAtom_))
                Check();
            break;
        }
        case XCB_CONFIGURE_NOTIFY:
            if (static_cast<const xcb_configure_notify_event_t*>(message)->window == followed_) Check();
            break;
        case XCB_DESTROY_NOTIFY:
            // Its number may come back with another window.
            if (static_cast<const xcb_destroy_notify_event_t*>(message)->window == followed_) followed_ = XCB_NONE;
            break;
        default:
            break;
    }
    return false;  // Qt sees every event as before
}

xcb_window_t FullScreenWatch::ActiveWindow() const {
    const std::vector<std::uint32_t> active = PropertyValues(connection_, root_, activeAtom_);
    return active.empty() ? static_cast<xcb_window_t>(XCB_NONE) : active.front();
}

// Changes of the window in front's state and geometry are reported from now on; the one
// followed before is let go. Asked for again even for the same number: X gives a gone window's
// number to the next new one, which has not been asked about.
void FullScreenWatch::Follow(xcb_window_t window) {
    if (followed_ != XCB_NONE && followed_ != window) SelectEvents(connection_, followed_, 0);
    followed_ = window;
    if (followed_ != XCB_NONE)
        SelectEvents(connection_, followed_, XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY);
    xcb_flush(connection_);
}

bool FullScreenWatch::OwnWindow(xcb_window_t window) const {
    for (const QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->internalWinId() == window) return true;
    }
    return false;
}

bool FullScreenWatch::IsDesktop(xcb_window_t window) const {
    for (std::uint32_t type : PropertyValues(connection_, window, typeAtom_)) {
        if (type == desktopTypeAtom_) return true;
    }
    return false;
}

void FullScreenWatch::Check() {
    const xcb_window_t active = ActiveWindow();
    // The gadget's own windows (its menu, its dialogs) leave the answer as it was.
    if (active != XCB_NONE && OwnWindow(active)) return;
    Follow(active);
    FrontWindow front;
    front.desktop = active == XCB_NONE || IsDesktop(active);
    if (!front.desktop) {
        const ReplyPtr<xcb_get_geometry_reply_t> geometry(
            xcb_get_geometry_reply(connection_, xcb_get_geometry(connection_, active), nullptr));
        const ReplyPtr<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
            connection_, xcb_translate_coordinates(connection_, active, root_, 0, 0), nullptr));
        if (!geometry || !origin) return;  // gone already; its end brings another change
        front.bounds = {origin->dst_x, origin->dst_y, origin->dst_x + geometry->width,
                        origin->dst_y + geometry->height};
    }
    const QScreen* screen = gadget_.screen();
    if (!screen) return;
    const QRect monitor = screen->geometry();
    const bool hide = HidesUnderFullScreen(
        front, {monitor.left(), monitor.top(), monitor.left() + monitor.width(), monitor.top() + monitor.height()});
    if (hide == hidden_) return;
    hidden_ = hide;
    hide_(hide);
}

}  // namespace kestrival
