// Any text as a typed date: the result is either empty or a canonical date that normalises to itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/civil_date.h"
#include "support/normalize_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kestrival;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < size; i += 2) text += static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    const CivilDate today{2026, 2, 28};
    const std::u16string result = NormalizeDate(text, today);
    if (!result.empty()) {
        if (result.size() != 10 || !ParseDateText(result)) __builtin_trap();
        if (NormalizeDate(result, today) != result) __builtin_trap();
    }
    return 0;
}
