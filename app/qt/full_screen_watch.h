#pragma once
// Tells the gadget when the window in front covers its whole monitor (a game, a video, a slide
// show) and when that ends, on X11 through the window manager's hints: the root window's
// _NET_ACTIVE_WINDOW names the window in front, whose _NET_WM_STATE and geometry say whether it
// fills the monitor. Driven by X events through a native event filter, no timer.
#include <QAbstractNativeEventFilter>

#include <xcb/xcb.h>

#include <functional>

class QWidget;

namespace kestrival {

class FullScreenWatch final : public QAbstractNativeEventFilter {
public:
    // Watches while the object lives; `hide` is called with true when the gadget is to hide and
    // with false when it may show again, each time the answer changes, the first time at once.
    // Without an X display it watches nothing.
    FullScreenWatch(QWidget& gadget, std::function<void(bool hide)> hide);
    ~FullScreenWatch() override;
    FullScreenWatch(const FullScreenWatch&) = delete;
    FullScreenWatch& operator=(const FullScreenWatch&) = delete;

    bool Hidden() const { return hidden_; }
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void Check();
    xcb_window_t ActiveWindow() const;
    void Follow(xcb_window_t window);
    bool OwnWindow(xcb_window_t window) const;
    bool IsDesktop(xcb_window_t window) const;

    QWidget& gadget_;
    std::function<void(bool)> hide_;
    bool hidden_ = false;
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
    xcb_window_t followed_ = XCB_NONE;
    xcb_atom_t activeAtom_ = XCB_NONE;
    xcb_atom_t stateAtom_ = XCB_NONE;
    xcb_atom_t typeAtom_ = XCB_NONE;
    xcb_atom_t desktopTypeAtom_ = XCB_NONE;
};

}  // namespace kestrival
