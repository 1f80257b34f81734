#pragma once
// The gadget's entry among the programs Windows starts at logon: the value "Kestrival" of the
// user's Run key. The registry is its only store.
#include <string>

namespace kestrival {

// Whether the entry exists and starts this program.
bool StartsWithWindows(const std::u16string& programPath);
// Writes the entry for this program (with LOCAL when `local`), replacing one that names another
// path, or deletes it. True when the registry took the change.
bool SetStartWithWindows(bool on, const std::u16string& programPath, bool local);

}  // namespace kestrival
