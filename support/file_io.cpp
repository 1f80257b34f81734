#include "support/file_io.h"

#include <tuple>

#include "support/text.h"

namespace kestrival {

bool WriteFileReplacing(std::u16string_view path, std::string_view bytes) {
    return WriteFileReplacing(path, [bytes](const ByteSink& write) { return write(bytes); });
}

std::u16string TemporaryNameFor(std::u16string_view fileName, std::uint64_t unique) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + unique % 10));
        unique /= 10;
    } while (unique != 0);
    return std::u16string(fileName) + u"." + digits + u".tmp";
}

const LeftoverTemporary* NewestRecoverable(const std::vector<LeftoverTemporary>& candidates) {
    const LeftoverTemporary* newest = nullptr;
    for (const auto& candidate : candidates) {
        if (candidate.size == 0) continue;  // created, never written: holds nothing to recover
        // Equal times fall back to the save's number, the later save being the longer or greater one.
        const auto key = [](const LeftoverTemporary& t) { return std::tuple(t.modified, t.name.size(), t.name); };
        if (!newest || key(candidate) > key(*newest)) newest = &candidate;
    }
    return newest;
}

bool IsTemporaryNameFor(std::u16string_view candidate, std::u16string_view fileName) {
    constexpr std::u16string_view kSuffix = u".tmp";
    if (candidate.size() < fileName.size() + 1 + 1 + kSuffix.size()) return false;
    if (!EqualsIgnoreAsciiCase(candidate.substr(0, fileName.size()), fileName)) return false;
    if (candidate[fileName.size()] != u'.') return false;
    if (!EqualsIgnoreAsciiCase(candidate.substr(candidate.size() - kSuffix.size()), kSuffix)) return false;
    const std::u16string_view digits =
        candidate.substr(fileName.size() + 1, candidate.size() - fileName.size() - 1 - kSuffix.size());
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return false;
    }
    return true;
}

}  // namespace kestrival
