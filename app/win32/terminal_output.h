#pragma once
// Text for the terminal from a program without a console of its own: to a standard handle that
// was redirected to a file or a pipe (as UTF-8), else to the console the program was started from.
#include <windows.h>

#include <string_view>

namespace kestrival {

// `which` is STD_OUTPUT_HANDLE or STD_ERROR_HANDLE. False when the text could not be written to
// where it was meant to go; true when there is nowhere to write it (started without a console).
bool WriteToTerminal(DWORD which, std::u16string_view text);

}  // namespace kestrival
