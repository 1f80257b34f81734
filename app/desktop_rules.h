#pragma once
// Where the gadget stands among other windows and how it starts with the user's session: the
// three stackings, the rule that keeps a gadget "on the desktop" visible when the user shows
// the desktop, and the start-up entry that names this program.
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrival {

// The file's ZO: any other value is the ordinary stacking.
enum class Stacking { kOrdinary = 0, kOnTop = 1, kOnDesktop = 2 };
Stacking StackingOf(std::int32_t ZO);

// What a gadget on the desktop does when another window comes to the foreground or takes the
// focus. The shell's desktop window (WorkerW, Progman) comes forward when the user shows the
// desktop: the gadget rises above it. Any other program's window sends it back to the bottom.
// The gadget's own windows (its menu, dialogs) change nothing.
enum class StackingMove { kNone, kAboveDesktop, kToBottom };
StackingMove OnForegroundChanged(Stacking stacking, std::u16string_view rootClass, bool ownProcess);

// The command a start-up entry runs: the program's full path in quotes, and " LOCAL" for a gadget
// started with LOCAL, so that it opens the same settings file.
std::u16string StartupCommand(std::u16string_view programPath, bool local);
// Whether an entry's command starts this program (its path quoted or not, in any letter case).
bool StartupCommandNames(std::u16string_view command, std::u16string_view programPath);

}  // namespace kestrival
