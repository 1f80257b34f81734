#pragma once
// Which of Qt's platforms the Linux gadget asks for, and what it tells the user when none of them
// starts.
#include <optional>
#include <string>
#include <string_view>

namespace kestrival {

// X11 first, also on a Wayland session through XWayland: only there can the gadget stand at its
// anchored place and keep below or above other windows. Wayland where no X server answers.
inline constexpr std::string_view kDefaultPlatforms = "xcb;wayland";

// The platform list Qt is given: the user's own choice (QT_QPA_PLATFORM) when set, else the default.
std::string PlatformList(std::optional<std::string_view> userChoice);

// What was found when no platform started: the user's choice (if any), and whether an X server
// and a Wayland compositor answer at the names the environment gives (empty when unset).
struct DisplaySearch {
    std::optional<std::string> userChoice;
    std::string x11Name;
    bool x11Answers = false;
    std::string waylandName;
    bool waylandAnswers = false;
};

// One line for standard error that says why the gadget cannot be shown.
std::string NoDisplayText(std::string_view program, const DisplaySearch& search);

}  // namespace kestrival
