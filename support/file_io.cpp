#include "support/file_io.h"

#include <tuple>

#include "support/text.h"

namespace kestrival {

namespace {

constexpr std::u16string_view kTemporarySuffix = u".tmp";
constexpr std::u16string_view kPartialSuffix = u".part";

std::u16string SaveNameFor(std::u16string_view fileName, std::uint64_t unique, std::u16string_view suffix) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + unique % 10));
        unique /= 10;
    } while (unique != 0);
    return std::u16string(fileName) + u"." + digits + std::u16string(suffix);
}

bool NamesEqual(std::u16string_view a, std::u16string_view b, NameCase nameCase) {
    return nameCase == NameCase::kExact ? a == b : EqualsIgnoreAsciiCase(a, b);
}

// "<fileName>.<digits><suffix>", compared as the file system compares names.
bool IsSaveNameFor(std::u16string_view candidate, std::u16string_view fileName, std::u16string_view suffix,
                   NameCase nameCase) {
    if (candidate.size() < fileName.size() + 1 + 1 + suffix.size()) return false;
    if (!NamesEqual(candidate.substr(0, fileName.size()), fileName, nameCase)) return false;
    if (candidate[fileName.size()] != u'.') return false;
    if (!NamesEqual(candidate.substr(candidate.size() - suffix.size()), suffix, nameCase)) return false;
    const std::u16string_view digits =
        candidate.substr(fileName.size() + 1, candidate.size() - fileName.size() - 1 - suffix.size());
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return false;
    }
    return true;
}

}  // namespace

bool WriteFileReplacing(std::u16string_view path, std::string_view bytes, FileState* written) {
    return WriteFileReplacing(
        path, [bytes](const ByteSink& write) { return write(bytes); }, written);
}

std::u16string TemporaryNameFor(std::u16string_view fileName, std::uint64_t unique) {
    return SaveNameFor(fileName, unique, kTemporarySuffix);
}

std::u16string PartialNameFor(std::u16string_view fileName, std::uint64_t unique) {
    return SaveNameFor(fileName, unique, kPartialSuffix);
}

bool IsTemporaryNameFor(std::u16string_view candidate, std::u16string_view fileName, NameCase nameCase) {
    return IsSaveNameFor(candidate, fileName, kTemporarySuffix, nameCase);
}

bool IsPartialNameFor(std::u16string_view candidate, std::u16string_view fileName, NameCase nameCase) {
    return IsSaveNameFor(candidate, fileName, kPartialSuffix, nameCase);
}

const LeftoverTemporary* NewestRecoverable(const std::vector<LeftoverTemporary>& candidates) {
    const LeftoverTemporary* newest = nullptr;
    for (const auto& candidate : candidates) {
        if (!candidate.whole) continue;  // cut short or never written: putting it in place loses settings
        // Equal times fall back to the name, so that every start picks the same one.
        const auto key = [](const LeftoverTemporary& t) { return std::tuple(t.modified, t.name.size(), t.name); };
        if (!newest || key(candidate) > key(*newest)) newest = &candidate;
    }
    return newest;
}

bool HoldsNothingNewer(const LeftoverTemporary& temporary, std::int64_t fileModified) {
    return temporary.size == 0 || temporary.modified <= fileModified;
}

bool TemporaryIsNewer(std::string_view fileBytes, std::int64_t fileModified, std::string_view temporaryBytes,
                      std::int64_t temporaryModified) {
    if (fileBytes == temporaryBytes) return false;
    // A rewrite in place empties the file and then writes the temporary's bytes from the start:
    // cut short, it leaves their beginning, written after the temporary.
    if (temporaryBytes.substr(0, fileBytes.size()) == fileBytes) return true;
    return fileModified <= temporaryModified;
}

bool TemporaryReplacesFile(std::string_view fileBytes, std::int64_t fileModified, std::string_view temporaryBytes,
                           std::int64_t temporaryModified, const WholeCheck& isWhole) {
    if (fileBytes == temporaryBytes) return false;
    return !isWhole(fileBytes) || TemporaryIsNewer(fileBytes, fileModified, temporaryBytes, temporaryModified);
}

}  // namespace kestrival
