#include "app/platform_choice.h"

namespace kestrival {

std::string PlatformList(std::optional<std::string_view> userChoice) {
    if (userChoice && !userChoice->empty()) return std::string(*userChoice);
    return std::string(kDefaultPlatforms);
}

namespace {

std::string X11Part(const DisplaySearch& search) {
    if (search.x11Name.empty()) return "no X server (DISPLAY is not set)";
    const std::string at = "DISPLAY \"" + search.x11Name + "\"";
    return search.x11Answers ? "an X server answers at " + at : "no X server answers at " + at;
}

std::string WaylandPart(const DisplaySearch& search) {
    const std::string at = "WAYLAND_DISPLAY \"" + search.waylandName + "\"";
    if (!search.waylandAnswers) {
        if (search.waylandName.empty()) return "no Wayland compositor (WAYLAND_DISPLAY is not set)";
        return "no Wayland compositor answers at " + at;
    }
    return "a Wayland compositor answers at " + at;
}

}  // namespace

std::string NoDisplayText(std::string_view program, const DisplaySearch& search) {
    std::string text(program);
    text.append(": cannot show the gadget: ");
    if (search.userChoice)
        text.append("Qt could not start QT_QPA_PLATFORM=\"").append(*search.userChoice).append("\"; ");
    text.append(X11Part(search)).append(" and ").append(WaylandPart(search));
    // A compositor that answers while the default list failed: Qt lacks its Wayland plugin.
    if (!search.userChoice && search.waylandAnswers && !search.x11Answers) {
        text.append(", but Qt's Wayland plugin did not start (is the package qt6-wayland installed?)");
    }
    text.append("\n");
    return text;
}

}  // namespace kestrival
