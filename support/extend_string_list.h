#pragma once
// An ordered list of UTF-16 lines with key=value access and UTF-16 file load and save.
//
// The lines live in one buffer with an end offset per line: a settings file of millions of
// empty lines costs four bytes per line, not a string object each, so loading any file stays
// within a small multiple of its size.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "support/file_io.h"

namespace kestrival {

// Whether `bytes` are the whole of what WriteBytes writes, by the text's own evidence: the FF FE
// mark, whole UTF-16 code units, and CR LF after the last line (or no line at all). What a save
// cut short leaves lacks one of them unless it was cut exactly at the end of a line.
bool IsWholeSavedText(std::string_view bytes);

class ExtendStringList {
public:
    std::int32_t Count() const { return static_cast<std::int32_t>(ends_.size()); }
    std::u16string LineAt(std::int32_t index, std::u16string_view fallback = {}) const;
    // The line without a copy; valid until the list changes. `index` must be in range.
    std::u16string_view LineView(std::size_t index) const;
    void Add(std::u16string_view line);
    void Clear();
    // Clear, and give the memory back.
    void Release();

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
    // Writes FF FE and every line in UTF-16LE with CR LF, replacing the file in one step; once it
    // stands, what interrupted saves of the file left is cleared away.
    bool Save(std::u16string_view path);

    // The in-memory halves of Load and Save, for callers that already hold the bytes.
    // Decoding: UTF-8 when the bytes start with EF BB BF, or when they hold no FF FE mark, no NUL
    // byte and are valid UTF-8 (what Notepad writes); UTF-16LE otherwise, a leading FF FE
    // skipped. CR LF, CR and LF end lines; a NUL character ends the text.
    void LoadFromBytes(std::string_view bytes);
    std::string ToBytes() const;
    // The bytes of ToBytes in pieces of a few kilobytes, for writing or hashing a large list
    // without holding all of it twice. False as soon as `write` returns false.
    bool WriteBytes(const ByteSink& write) const;

    std::vector<std::u16string> ToVector() const;

    std::u16string FileName;

private:
    std::size_t StartOf(std::size_t index) const { return index == 0 ? 0 : ends_[index - 1]; }

    std::u16string text_;
    std::vector<std::uint32_t> ends_;
};

enum class TextEncoding { kUtf16, kUtf8 };
// How LoadFromBytes decodes `bytes` (see there).
TextEncoding DetectTextEncoding(std::string_view bytes);

// Whether `line` is a comment that key lookups skip.
bool IsCommentLine(std::u16string_view line);
// The trimmed key part of a line, as key lookups compare it.
std::u16string_view TrimmedKeyOf(std::u16string_view line);

}  // namespace kestrival
