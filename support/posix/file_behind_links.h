#pragma once
// Where a path leads through symbolic links, for the code that must find one file whatever link
// leads to it, and must never be led by someone else's link.
#include <optional>
#include <string>

namespace kestrival {

// The file a save of `path` replaces: `path` with every symbolic link on the way followed, at
// every hop and in every folder of it (a dotfiles or synced folder), as an absolute path without
// links; the file need not exist yet. A link is followed only when this user or root owns it:
// another user's link (one made in a folder a group shares, say) could lead to any file of this
// user's, whatever the system's own protection of links allows. Nothing for such a link, a loop,
// or a link that cannot be read.
std::optional<std::string> FileBehindLinks(std::string path);

}  // namespace kestrival
