#pragma once
// The gadget's entry among the programs a Linux desktop starts at login: the XDG autostart file
// ~/.config/autostart/kestrival.desktop, which is its only store.
#include <string>

namespace kestrival {

// Whether the entry exists and starts this program.
bool StartsAtLogin(const std::u16string& programPath);
// Writes the entry for this program (with LOCAL when `local`), replacing one that names another
// path, or removes it. True when the change was made.
bool SetStartAtLogin(bool on, const std::u16string& programPath, bool local);

}  // namespace kestrival
