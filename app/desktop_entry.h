#pragma once
// The Exec line of the desktop entry that starts the gadget at login on Linux. A launcher reads the
// value in two steps: first the escapes of any string in the file (\\, \n, \t, \r, \s), then the
// command's own rules (a literal % written %%; inside double quotes ", `, $ and \ after a
// backslash). A path is written so that both steps give it back unchanged, whatever folder holds it.
#include <optional>
#include <string>
#include <string_view>

namespace kestrival {

// The Exec value (after "Exec=") that starts `programPath`, with " LOCAL" for a gadget started
// with LOCAL, so that it opens the same settings file. A path with a % is started through sh, as
// some launchers look for the program before they decode %%; so is a path whose bytes are not
// UTF-8, which the shell makes from an ASCII spelling of its bytes (the entry is UTF-8 text).
std::u16string DesktopEntryExec(std::u16string_view programPath, bool local);
// The program an Exec value starts, decoded by the same rules; nothing for a value that names
// none (empty, or a quote left open).
std::optional<std::u16string> DesktopEntryProgram(std::u16string_view execValue);

}  // namespace kestrival
