#include "app/qt/display_probe.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace kestrival {
namespace {

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

bool X11Answers(const std::string& name) {
    if (name.empty()) return false;
    xcb_connection_t* connection = xcb_connect(name.c_str(), nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

// A compositor listens on a socket: a name is taken as a path when it starts with '/', else as a
// name in XDG_RUNTIME_DIR, as libwayland takes it.
bool WaylandAnswers(const std::string& name) {
    std::string path = name;
    if (name.empty() || name.front() != '/') {
        const std::string runtime = EnvironmentValue("XDG_RUNTIME_DIR");
        if (runtime.empty()) return false;
        path = runtime + "/" + name;
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof(address.sun_path)) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return false;
    const bool answers = ::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
    ::close(socket);
    return answers;
}

}  // namespace

DisplaySearch SearchDisplays(std::optional<std::string> userChoice) {
    DisplaySearch search;
    search.userChoice = std::move(userChoice);
    search.x11Name = EnvironmentValue("DISPLAY");
    search.x11Answers = X11Answers(search.x11Name);
    search.waylandName = EnvironmentValue("WAYLAND_DISPLAY");
    search.waylandAnswers = WaylandAnswers(search.waylandName.empty() ? "wayland-0" : search.waylandName);
    if (search.waylandAnswers && search.waylandName.empty()) search.waylandName = "wayland-0";
    return search;
}

}  // namespace kestrival
