#pragma once
// An X11 atom by its name, interned on the connection Qt opened; XCB_ATOM_NONE when the server
// does not answer.
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace kestrival {

inline xcb_atom_t X11Atom(xcb_connection_t* connection, const char* name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t value = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
    std::free(reply);
    return value;
}

}  // namespace kestrival
