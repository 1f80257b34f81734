#pragma once
// The bytes the system is given for a path of the core. Every POSIX call on a settings path goes
// through this one spelling, so that the file, its temporaries and its lock agree on one name.
#include <string>
#include <string_view>

#include "support/text.h"

namespace kestrival {

// ToUtf8 gives back the bytes of a name that was not UTF-8 (see FromPathBytes). A backslash
// stays a backslash: on Linux it is a character of a name like any other, and reading it as a
// separator would put the file in another folder than the user's.
inline std::string NativePath(std::u16string_view path) { return ToUtf8(path); }

}  // namespace kestrival
