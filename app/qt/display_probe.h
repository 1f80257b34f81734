#pragma once
// Looks for the displays the environment names, without Qt: whether an X server accepts a
// connection at DISPLAY and a Wayland compositor at WAYLAND_DISPLAY (or at "wayland-0", where
// libwayland looks when it is unset). Used to say why no platform started.
#include "app/platform_choice.h"

namespace kestrival {

DisplaySearch SearchDisplays(std::optional<std::string> userChoice);

}  // namespace kestrival
