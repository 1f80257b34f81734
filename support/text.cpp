#include "support/text.h"

#include <algorithm>

namespace kestrival {
namespace {

constexpr char16_t kIdeographicSpace = u'\u3000';

bool IsControlOrSpace(char16_t c) { return c <= 0x20; }

// Decimal digits of a 32-bit value, sign included, without using a fixed-size buffer.
std::u16string DecimalText(std::int32_t value) {
    std::int64_t v = value;
    const bool negative = v < 0;
    if (negative) v = -v;
    std::u16string digits;
    do {
        digits.push_back(static_cast<char16_t>(u'0' + v % 10));
        v /= 10;
    } while (v != 0);
    if (negative) digits.push_back(u'-');
    std::reverse(digits.begin(), digits.end());
    return digits;
}

void AppendPadded(std::u16string& out, std::int32_t value, int width, bool zeroPad) {
    std::u16string digits = DecimalText(value);
    const std::size_t w = static_cast<std::size_t>(width);
    if (digits.size() >= w) {
        out += digits;
        return;
    }
    const std::size_t pad = w - digits.size();
    if (!zeroPad) {
        out.append(pad, u' ');
        out += digits;
    } else if (digits[0] == u'-') {
        out += u'-';
        out.append(pad, u'0');
        out.append(digits, 1);
    } else {
        out.append(pad, u'0');
        out += digits;
    }
}

}  // namespace

std::u16string FormatText(std::u16string_view format, std::initializer_list<std::int32_t> values) {
    std::u16string out;
    auto next = values.begin();
    std::size_t i = 0;
    while (i < format.size() && out.size() < kFormatTextLimit) {
        const char16_t c = format[i];
        if (c != u'%') {
            out += c;
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        if (j < format.size() && format[j] == u'%') {
            out += u'%';
            i = j + 1;
            continue;
        }
        bool zeroPad = false;
        if (j < format.size() && format[j] == u'0') {
            zeroPad = true;
            ++j;
        }
        int width = 0;
        int widthDigits = 0;
        while (j < format.size() && format[j] >= u'0' && format[j] <= u'9' && widthDigits < 2) {
            width = width * 10 + (format[j] - u'0');
            ++j;
            ++widthDigits;
        }
        if (j < format.size() && format[j] == u'd') {
            if (next != values.end()) AppendPadded(out, *next++, width, zeroPad);
            i = j + 1;
        } else {
            out += c;  // not a conversion we know: keep the text literally
            ++i;
        }
    }
    if (out.size() > kFormatTextLimit) out.resize(kFormatTextLimit);
    return out;
}

std::u16string SplitAt(std::u16string_view text, std::u16string_view separator, std::u16string* rest) {
    // The head is taken before `rest` is written, so callers may pass the input's own variable.
    const std::size_t p = separator.empty() ? std::u16string_view::npos : text.find(separator);
    if (p == std::u16string_view::npos) {
        std::u16string head(text);
        if (rest) rest->clear();
        return head;
    }
    std::u16string head(text.substr(0, p));
    std::u16string tail(text.substr(p + separator.size()));
    if (rest) *rest = std::move(tail);
    return head;
}

std::u16string KeyPart(std::u16string_view line, std::u16string* rest) { return SplitAt(line, u"=", rest); }

std::u16string ValuePart(std::u16string_view line) {
    std::u16string rest;
    SplitAt(line, u"=", &rest);
    return rest;
}

std::u16string TakeField(std::u16string_view line, std::u16string* rest) { return SplitAt(line, u",", rest); }

std::u16string MakeKeyValue(std::u16string_view key, std::u16string_view value) {
    std::u16string line;
    line.reserve(key.size() + 1 + value.size());
    line += key;
    line += u'=';
    line += value;
    return line;
}

std::u16string DeleteSpan(std::u16string_view text, std::int32_t start, std::int32_t count) {
    const std::int64_t length = static_cast<std::int64_t>(text.size());
    if (start < 1 || start > length || count <= 0) return std::u16string(text);
    const std::size_t from = static_cast<std::size_t>(start - 1);
    const std::size_t n = static_cast<std::size_t>(std::min<std::int64_t>(count, length - (start - 1)));
    std::u16string out(text.substr(0, from));
    out += text.substr(from + n);
    return out;
}

std::u16string ReplaceAll(std::u16string_view text, std::u16string_view target) {
    std::u16string out(text);
    if (target.empty()) return out;
    // Each pass starts again at the left so that joins created by a removal are removed too;
    // the search restarts just before the removal point, which finds the same occurrences
    // without rescanning the untouched prefix.
    std::size_t from = 0;
    for (;;) {
        const std::size_t p = out.find(target, from);
        if (p == std::u16string::npos) return out;
        out.erase(p, target.size());
        from = p >= target.size() ? p - (target.size() - 1) : 0;
    }
}

std::u16string LeftText(std::u16string_view text, std::int32_t n) {
    if (n <= 0) return {};
    return std::u16string(text.substr(0, static_cast<std::size_t>(n)));
}

std::u16string RightText(std::u16string_view text, std::int32_t n) {
    if (n <= 0) return {};
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(n));
    return std::u16string(text.substr(text.size() - count));
}

std::u16string TrimSpaces(std::u16string_view text) {
    auto isBlank = [](char16_t c) { return IsControlOrSpace(c) || c == kIdeographicSpace; };
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin])) ++begin;
    while (end > begin && isBlank(text[end - 1])) --end;
    return std::u16string(text.substr(begin, end - begin));
}

std::u16string_view TrimControlAndSpace(std::u16string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && IsControlOrSpace(text[begin])) ++begin;
    while (end > begin && IsControlOrSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

std::u16string AsciiUpper(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = AsciiUpper(c);
    return out;
}

bool EqualsIgnoreAsciiCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    }
    return true;
}

Utf8Step DecodeUtf8(std::string_view bytes, std::size_t i) {
    const auto byteAt = [&bytes](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
    const unsigned char lead = byteAt(i);
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1Fu, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0Fu, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07u, minimum = 0x10000;
    } else {
        return {};
    }
    if (bytes.size() - i < length) return {};
    for (std::size_t k = 1; k < length; ++k) {
        const unsigned char next = byteAt(i + k);
        if ((next & 0xC0) != 0x80) return {};
        value = (value << 6) | (next & 0x3Fu);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return {};
    return {value, length};
}

void AppendUtf16(std::u16string& out, char32_t codePoint) {
    if (codePoint < 0x10000) {
        out += static_cast<char16_t>(codePoint);
        return;
    }
    const char32_t v = codePoint - 0x10000;
    out += static_cast<char16_t>(0xD800 + (v >> 10));
    out += static_cast<char16_t>(0xDC00 + (v & 0x3FF));
}

std::u16string FromUtf8(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        Utf8Step step = DecodeUtf8(utf8, i);
        if (step.length == 0) step = {0xFFFD, 1};
        AppendUtf16(out, step.codePoint);
        i += step.length;
    }
    return out;
}

std::u16string FromPathBytes(std::string_view bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const Utf8Step step = DecodeUtf8(bytes, i);
        if (step.length == 0) {
            out += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i]));
            ++i;
            continue;
        }
        AppendUtf16(out, step.codePoint);
        i += step.length;
    }
    return out;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = text[i];
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xDC80 && cp <= 0xDCFF) {
            out += static_cast<char>(cp - 0xDC00);  // a byte FromPathBytes could not decode
            continue;
        }
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

}  // namespace kestrival
