#pragma once
// Date normalisation: the shorthand users type, written out in full.
#include <string>
#include <string_view>

#include "support/civil_date.h"

namespace kestrival {

// Turns a typed date ("2024/5/1", "5/1", "15", "240501", "20240501", ...) into "yyyy/mm/dd",
// taking a missing year or month from `today`; the empty text when no valid date results.
std::u16string NormalizeDate(std::u16string_view text, const CivilDate& today);

}  // namespace kestrival
