#pragma once
// Where a chain of symbolic links ends, for the code that must find one file whatever link leads
// to it.
#include <optional>
#include <string>

namespace kestrival {

// The file a save of `path` replaces: `path` itself, or the end of its chain of symbolic links
// (a dotfiles or synced folder), which need not exist yet. Nothing for a loop or a link that
// cannot be read.
std::optional<std::string> FileBehindLinks(std::string path);

}  // namespace kestrival
