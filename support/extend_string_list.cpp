#include "support/extend_string_list.h"

#include <limits>
#include <stdexcept>

#include "support/integer_rule.h"
#include "support/text.h"

namespace kestrival {
namespace {

unsigned char ByteAt(std::string_view bytes, std::size_t i) { return static_cast<unsigned char>(bytes[i]); }

bool StartsWithBytes(std::string_view bytes, std::string_view prefix) {
    return bytes.size() >= prefix.size() && bytes.substr(0, prefix.size()) == prefix;
}

bool IsValidUtf8WithoutNul(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        if (bytes[i] == '\0') return false;
        const Utf8Step step = DecodeUtf8(bytes, i);
        if (step.length == 0) return false;
        i += step.length;
    }
    return true;
}

// Calls `unit` for each UTF-16 code unit of the text, up to the first NUL character.
template <typename Unit>
void ForEachUnit(std::string_view bytes, TextEncoding encoding, Unit unit) {
    if (encoding == TextEncoding::kUtf8) {
        std::size_t i = StartsWithBytes(bytes, "\xEF\xBB\xBF") ? 3 : 0;
        while (i < bytes.size()) {
            Utf8Step step = DecodeUtf8(bytes, i);
            if (step.length == 0) step = {0xFFFD, 1};  // only after a BOM: a broken byte shows as such
            if (step.codePoint == 0) return;
            i += step.length;
            if (step.codePoint < 0x10000) {
                unit(static_cast<char16_t>(step.codePoint));
            } else {
                const char32_t v = step.codePoint - 0x10000;
                unit(static_cast<char16_t>(0xD800 + (v >> 10)));
                unit(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
            }
        }
        return;
    }
    // An odd last byte is ignored; lone surrogates are kept as they are.
    const std::size_t start = StartsWithBytes(bytes, "\xFF\xFE") ? 2 : 0;
    for (std::size_t i = start; i + 1 < bytes.size(); i += 2) {
        const auto c = static_cast<char16_t>(ByteAt(bytes, i) | (ByteAt(bytes, i + 1) << 8));
        if (c == 0) return;
        unit(c);
    }
}

// Splits the decoded text into lines: `unit` for each character of a line, `lineEnd` after each
// line. CR LF, CR and LF end a line; a last line without an end counts when it is not empty.
template <typename Unit, typename LineEnd>
void ForEachLinePiece(std::string_view bytes, TextEncoding encoding, Unit unit, LineEnd lineEnd) {
    bool afterCr = false;
    bool pending = false;
    ForEachUnit(bytes, encoding, [&](char16_t c) {
        if (c == u'\n' && afterCr) {
            afterCr = false;
            return;
        }
        afterCr = c == u'\r';
        if (c == u'\r' || c == u'\n') {
            lineEnd();
            pending = false;
            return;
        }
        unit(c);
        pending = true;
    });
    if (pending) lineEnd();
}

std::uint32_t CheckedOffset(std::size_t offset) {
    if (offset > std::numeric_limits<std::uint32_t>::max()) throw std::length_error("line store too large");
    return static_cast<std::uint32_t>(offset);
}

}  // namespace

TextEncoding DetectTextEncoding(std::string_view bytes) {
    if (StartsWithBytes(bytes, "\xEF\xBB\xBF")) return TextEncoding::kUtf8;
    if (StartsWithBytes(bytes, "\xFF\xFE")) return TextEncoding::kUtf16;
    // Text this program wrote always holds NUL bytes (every ASCII character in UTF-16LE has one),
    // so a file without any that is valid UTF-8 came from another editor.
    return IsValidUtf8WithoutNul(bytes) ? TextEncoding::kUtf8 : TextEncoding::kUtf16;
}

bool IsCommentLine(std::u16string_view line) { return line.size() >= 2 && line[0] == u'/' && line[1] == u'/'; }

std::u16string_view TrimmedKeyOf(std::u16string_view line) {
    const std::size_t eq = line.find(u'=');
    return TrimControlAndSpace(line.substr(0, eq));
}

std::u16string_view ExtendStringList::LineView(std::size_t index) const {
    const std::size_t start = StartOf(index);
    return std::u16string_view(text_).substr(start, ends_[index] - start);
}

std::u16string ExtendStringList::LineAt(std::int32_t index, std::u16string_view fallback) const {
    if (index < 0 || index >= Count()) return std::u16string(fallback);
    return std::u16string(LineView(static_cast<std::size_t>(index)));
}

void ExtendStringList::Add(std::u16string_view line) {
    text_.append(line);
    ends_.push_back(CheckedOffset(text_.size()));
}

void ExtendStringList::Clear() {
    text_.clear();
    ends_.clear();
}

void ExtendStringList::Release() {
    std::u16string().swap(text_);
    std::vector<std::uint32_t>().swap(ends_);
}

std::vector<std::u16string> ExtendStringList::ToVector() const {
    std::vector<std::u16string> lines;
    lines.reserve(ends_.size());
    for (std::size_t i = 0; i < ends_.size(); ++i) lines.emplace_back(LineView(i));
    return lines;
}

std::int32_t ExtendStringList::IndexOf(std::u16string_view text) const {
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        if (EqualsIgnoreAsciiCase(LineView(i), text)) return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::int32_t ExtendStringList::FindKey(std::u16string_view key) const {
    const std::u16string_view wanted = TrimControlAndSpace(key);
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        const std::u16string_view line = LineView(i);
        if (IsCommentLine(line)) continue;
        if (EqualsIgnoreAsciiCase(TrimmedKeyOf(line), wanted)) return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::u16string ExtendStringList::GetValue(std::u16string_view key, std::u16string_view fallback) const {
    const std::int32_t index = FindKey(key);
    if (index < 0) return std::u16string(fallback);
    return ValuePart(LineView(static_cast<std::size_t>(index)));
}

std::int32_t ExtendStringList::GetInteger(std::u16string_view key, std::int32_t fallback) const {
    const std::int32_t index = FindKey(key);
    if (index < 0) return fallback;
    return StrToIntDef(ValuePart(LineView(static_cast<std::size_t>(index))), fallback);
}

bool ExtendStringList::SetValue(std::u16string_view key, std::u16string_view value) {
    const std::int32_t found = FindKey(key);
    const std::u16string line = MakeKeyValue(key, value);
    if (found < 0) {
        Add(line);
        return true;
    }
    const auto index = static_cast<std::size_t>(found);
    const std::size_t start = StartOf(index);
    const std::size_t oldLength = ends_[index] - start;
    CheckedOffset(text_.size() - oldLength + line.size());
    text_.replace(start, oldLength, line);
    for (std::size_t i = index; i < ends_.size(); ++i) {
        ends_[i] = static_cast<std::uint32_t>(ends_[i] - oldLength + line.size());
    }
    return true;
}

bool ExtendStringList::SetInteger(std::u16string_view key, std::int32_t value) {
    return SetValue(key, FormatText(u"%d", {value}));
}

void ExtendStringList::LoadFromBytes(std::string_view bytes) {
    // Counted first, so that the buffers are allocated once at their final size: growing them
    // by doubling would briefly need three times the memory.
    // The encoding is decided once: its check reads the whole file.
    const TextEncoding encoding = DetectTextEncoding(bytes);
    std::size_t units = 0;
    std::size_t lines = 0;
    ForEachLinePiece(
        bytes, encoding, [&units](char16_t) { ++units; }, [&lines] { ++lines; });
    Release();
    CheckedOffset(units);
    text_.reserve(units);
    ends_.reserve(lines);
    ForEachLinePiece(
        bytes, encoding, [this](char16_t c) { text_.push_back(c); },
        [this] { ends_.push_back(static_cast<std::uint32_t>(text_.size())); });
}

std::string ExtendStringList::ToBytes() const {
    std::string bytes;
    bytes.reserve(2 + text_.size() * 2 + ends_.size() * 4);
    WriteBytes([&bytes](std::string_view piece) {
        bytes += piece;
        return true;
    });
    return bytes;
}

bool ExtendStringList::WriteBytes(const ByteSink& write) const {
    constexpr std::size_t kPiece = 64 * 1024;
    std::string piece("\xFF\xFE", 2);
    piece.reserve(kPiece + 8);
    auto put = [&piece](char16_t c) {
        piece += static_cast<char>(c & 0xFF);
        piece += static_cast<char>(c >> 8);
    };
    for (std::size_t i = 0; i < ends_.size(); ++i) {
        for (char16_t c : LineView(i)) {
            put(c);
            if (piece.size() >= kPiece) {
                if (!write(piece)) return false;
                piece.clear();
            }
        }
        put(u'\r');
        put(u'\n');
        if (piece.size() >= kPiece) {
            if (!write(piece)) return false;
            piece.clear();
        }
    }
    return piece.empty() || write(piece);
}

bool IsWholeSavedText(std::string_view bytes) {
    constexpr std::string_view kMark("\xFF\xFE", 2);
    constexpr std::string_view kLineEnd("\r\0\n\0", 4);
    return bytes.substr(0, kMark.size()) == kMark && bytes.size() % 2 == 0 &&
           (bytes.size() == kMark.size() || (bytes.size() >= kMark.size() + kLineEnd.size() &&
                                             bytes.substr(bytes.size() - kLineEnd.size()) == kLineEnd));
}

bool ExtendStringList::Load(std::u16string_view path) {
    FileName = std::u16string(path);
    Clear();
    FileRead read = ReadWholeFile(path);
    if (read.status != ReadStatus::kRead) return false;
    LoadFromBytes(read.bytes);
    return true;
}

bool ExtendStringList::Save(std::u16string_view path) {
    FileName = std::u16string(path);
    if (!WriteFileReplacing(path, [this](const ByteSink& write) { return WriteBytes(write); })) return false;
    // The file holds these lines now, newer than what interrupted saves left.
    RemoveLeftoverTemporaries(path, IsWholeSavedText);
    return true;
}

}  // namespace kestrival
