#include "support/extend_string_list.h"

#include "support/file_io.h"
#include "support/integer_rule.h"
#include "support/text.h"

namespace kestrival {

bool IsCommentLine(std::u16string_view line) { return line.size() >= 2 && line[0] == u'/' && line[1] == u'/'; }

std::u16string_view TrimmedKeyOf(std::u16string_view line) {
    const std::size_t eq = line.find(u'=');
    return TrimControlAndSpace(line.substr(0, eq));
}

std::u16string ExtendStringList::LineAt(std::int32_t index, std::u16string_view fallback) const {
    if (index < 0 || index >= Count()) return std::u16string(fallback);
    return Lines[static_cast<std::size_t>(index)];
}

std::int32_t ExtendStringList::IndexOf(std::u16string_view text) const {
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (EqualsIgnoreAsciiCase(Lines[i], text)) return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::int32_t ExtendStringList::FindKey(std::u16string_view key) const {
    const std::u16string_view wanted = TrimControlAndSpace(key);
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        if (IsCommentLine(Lines[i])) continue;
        if (EqualsIgnoreAsciiCase(TrimmedKeyOf(Lines[i]), wanted)) return static_cast<std::int32_t>(i);
    }
    return -1;
}

std::u16string ExtendStringList::GetValue(std::u16string_view key, std::u16string_view fallback) const {
    const std::int32_t index = FindKey(key);
    if (index < 0) return std::u16string(fallback);
    return ValuePart(Lines[static_cast<std::size_t>(index)]);
}

std::int32_t ExtendStringList::GetInteger(std::u16string_view key, std::int32_t fallback) const {
    const std::int32_t index = FindKey(key);
    if (index < 0) return fallback;
    return StrToIntDef(ValuePart(Lines[static_cast<std::size_t>(index)]), fallback);
}

bool ExtendStringList::SetValue(std::u16string_view key, std::u16string_view value) {
    const std::int32_t index = FindKey(key);
    std::u16string line = MakeKeyValue(key, value);
    if (index < 0) {
        Lines.push_back(std::move(line));
    } else {
        Lines[static_cast<std::size_t>(index)] = std::move(line);
    }
    return true;
}

bool ExtendStringList::SetInteger(std::u16string_view key, std::int32_t value) {
    return SetValue(key, FormatText(u"%d", {value}));
}

void ExtendStringList::LoadFromBytes(std::string_view bytes) {
    Lines.clear();
    std::size_t offset = 0;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        offset = 2;
    }
    // Decoded as UTF-16LE whatever the file holds; an odd last byte is ignored and NUL ends the text.
    std::u16string line;
    bool pendingLine = false;
    bool afterCr = false;
    for (std::size_t i = offset; i + 1 < bytes.size(); i += 2) {
        const char16_t c = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
        if (c == 0) break;
        if (c == u'\n' && afterCr) {
            afterCr = false;
            continue;
        }
        afterCr = c == u'\r';
        if (c == u'\r' || c == u'\n') {
            Lines.push_back(std::move(line));
            line.clear();
            pendingLine = false;
            continue;
        }
        line += c;
        pendingLine = true;
    }
    if (pendingLine) Lines.push_back(std::move(line));
}

std::string ExtendStringList::ToBytes() const {
    std::size_t total = 2;
    for (const auto& line : Lines) total += (line.size() + 2) * 2;
    std::string bytes;
    bytes.reserve(total);
    bytes += '\xFF';
    bytes += '\xFE';
    auto put = [&bytes](char16_t c) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    };
    for (const auto& line : Lines) {
        for (char16_t c : line) put(c);
        put(u'\r');
        put(u'\n');
    }
    return bytes;
}

bool ExtendStringList::Load(std::u16string_view path) {
    FileName = std::u16string(path);
    Lines.clear();
    const auto bytes = ReadWholeFile(path);
    if (!bytes) return false;
    LoadFromBytes(*bytes);
    return true;
}

bool ExtendStringList::Save(std::u16string_view path) {
    FileName = std::u16string(path);
    return WriteFileReplacing(path, ToBytes());
}

}  // namespace kestrival
