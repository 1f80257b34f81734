#pragma once
// An ordered list of UTF-16 lines with key=value access and UTF-16 file load and save.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrival {

class ExtendStringList {
public:
    std::int32_t Count() const { return static_cast<std::int32_t>(Lines.size()); }
    std::u16string LineAt(std::int32_t index, std::u16string_view fallback = {}) const;
    void Add(std::u16string line) { Lines.push_back(std::move(line)); }
    void Clear() { Lines.clear(); }

    // First line equal to `text` ignoring ASCII letter case (whole lines, no trimming), or -1.
    std::int32_t IndexOf(std::u16string_view text) const;

    // First non-comment line whose trimmed key equals the trimmed `key` ignoring ASCII case, or -1.
    // Comment lines start with "//".
    std::int32_t FindKey(std::u16string_view key) const;
    std::u16string GetValue(std::u16string_view key, std::u16string_view fallback = {}) const;
    std::int32_t GetInteger(std::u16string_view key, std::int32_t fallback) const;
    bool SetValue(std::u16string_view key, std::u16string_view value);
    bool SetInteger(std::u16string_view key, std::int32_t value);

    // Replaces all lines by the file's; false (and no lines) when the file cannot be read.
    bool Load(std::u16string_view path);
    // Writes FF FE and every line in UTF-16LE with CR LF, replacing the file in one step.
    bool Save(std::u16string_view path);

    // The in-memory halves of Load and Save, for callers that already hold the bytes.
    void LoadFromBytes(std::string_view bytes);
    std::string ToBytes() const;

    std::vector<std::u16string> Lines;
    std::u16string FileName;
};

// Whether `line` is a comment that key lookups skip.
bool IsCommentLine(std::u16string_view line);
// The trimmed key part of a line, as key lookups compare it.
std::u16string_view TrimmedKeyOf(std::u16string_view line);

}  // namespace kestrival
