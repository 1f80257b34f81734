#pragma once
// The small dialog that edits the user's days off on Windows: a line of text with an example,
// made from a template in memory so that it needs no resource.
#include <windows.h>

#include <string>

#include "support/display_scale.h"

namespace kestrival {

// The edit's control id, for tests that find it.
inline constexpr int kDaysOffEditId = 100;

// Shows the dialog over `owner` in `font`, laid out for `scaled`'s display, with `text`; on OK puts
// what was typed into `text` and returns true.
bool EditDaysOff(HWND owner, HFONT font, const Scaler& scaled, std::u16string& text);

}  // namespace kestrival
