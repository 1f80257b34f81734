#include "app/desktop_entry.h"

#include <string>
#include <vector>

#include "support/text.h"

namespace kestrival {
namespace {

// The characters a backslash must precede inside a quoted argument.
bool EscapedInQuotes(char16_t c) { return c == u'"' || c == u'`' || c == u'$' || c == u'\\'; }

std::u16string QuotedArgument(std::u16string_view text) {
    std::u16string quoted = u"\"";
    for (const char16_t c : text) {
        if (EscapedInQuotes(c)) quoted += u'\\';
        // A lone % would start a field code that the launcher replaces or drops.
        if (c == u'%') quoted += u'%';
        quoted += c;
    }
    return quoted + u'"';
}

// The escapes every string value of the file takes; a line break would end the line.
std::u16string EscapedValue(std::u16string_view text) {
    std::u16string value;
    for (const char16_t c : text) {
        switch (c) {
            case u'\\':
                value += u"\\\\";
                break;
            case u'\n':
                value += u"\\n";
                break;
            case u'\t':
                value += u"\\t";
                break;
            case u'\r':
                value += u"\\r";
                break;
            default:
                value += c;
        }
    }
    return value;
}

std::u16string UnescapedValue(std::u16string_view value) {
    std::u16string text;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != u'\\' || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        switch (const char16_t next = value[++i]) {
            case u'\\':
                text += u'\\';
                break;
            case u'n':
                text += u'\n';
                break;
            case u't':
                text += u'\t';
                break;
            case u'r':
                text += u'\r';
                break;
            case u's':
                text += u' ';
                break;
            default:
                text.append(1, u'\\').append(1, next);
        }
    }
    return text;
}

// Launchers built on GLib check that the first word names an existing program before they turn
// %% into %, and skip the entry when it does not: a path with a % goes through the shell there.
constexpr std::u16string_view kShell = u"sh";
constexpr std::u16string_view kShellScript = u"exec \"$0\" \"$@\"";

// A desktop entry is UTF-8 text, so a path whose bytes are not UTF-8 (a folder named on a system
// with another encoding) cannot stand in it as it is: the shell makes it from printf's octal
// escapes, which are plain ASCII. The x kept after it stops the command substitution from taking
// a line break that ends the name.
constexpr std::u16string_view kBytesScriptBefore = u"p=$(printf '";
constexpr std::u16string_view kBytesScriptAfter = u"x'); exec \"${p%x}\" \"$@\"";
constexpr std::u16string_view kBytesScriptName = u"kestrival";

bool HoldsBytesThatAreNotUtf8(std::u16string_view path) {
    for (const char16_t c : path) {
        if (c >= 0xDC80 && c <= 0xDCFF) return true;
    }
    return false;
}

bool PrintedAsItIs(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '/' || c == '.' ||
           c == '_' || c == '-';
}

// Every byte but letters, digits and a few path characters as \ooo: no quote, % or backslash of
// the path's own is left for the shell or printf to read.
std::u16string PrintfEscaped(std::string_view bytes) {
    std::u16string format;
    for (const char c : bytes) {
        if (PrintedAsItIs(c)) {
            format += static_cast<char16_t>(c);
            continue;
        }
        const unsigned byte = static_cast<unsigned char>(c);
        format += u'\\';
        for (const unsigned shift : {6u, 3u, 0u}) format += static_cast<char16_t>(u'0' + ((byte >> shift) & 7u));
    }
    return format;
}

// The path a printf format of PrintfEscaped gives; nothing for any other text.
std::optional<std::u16string> PrintfUnescaped(std::u16string_view format) {
    std::string bytes;
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char16_t c = format[i];
        if (c < 0x80 && PrintedAsItIs(static_cast<char>(c))) {
            bytes += static_cast<char>(c);
            continue;
        }
        if (c != u'\\' || format.size() - i < 4) return std::nullopt;
        unsigned byte = 0;
        for (std::size_t k = 1; k <= 3; ++k) {
            const char16_t digit = format[i + k];
            if (digit < u'0' || digit > u'7') return std::nullopt;
            byte = byte * 8 + static_cast<unsigned>(digit - u'0');
        }
        if (byte > 0xFF || byte == 0) return std::nullopt;
        bytes += static_cast<char>(byte);
        i += 3;
    }
    if (bytes.empty()) return std::nullopt;
    return FromPathBytes(bytes);
}

std::optional<std::u16string> PathOfBytesScript(std::u16string_view script) {
    if (script.size() < kBytesScriptBefore.size() + kBytesScriptAfter.size() ||
        script.substr(0, kBytesScriptBefore.size()) != kBytesScriptBefore ||
        script.substr(script.size() - kBytesScriptAfter.size()) != kBytesScriptAfter) {
        return std::nullopt;
    }
    return PrintfUnescaped(
        script.substr(kBytesScriptBefore.size(), script.size() - kBytesScriptBefore.size() - kBytesScriptAfter.size()));
}

// The command's words, each decoded; nothing when a quote is left open.
std::optional<std::vector<std::u16string>> Words(const std::u16string& command) {
    std::vector<std::u16string> words;
    std::size_t i = 0;
    while (true) {
        i = command.find_first_not_of(u" \t", i);
        if (i == std::u16string::npos) return words;
        std::u16string word;
        const bool quoted = command[i] == u'"';
        if (quoted) ++i;
        for (; i < command.size(); ++i) {
            const char16_t c = command[i];
            if (quoted ? c == u'"' : c == u' ' || c == u'\t') break;
            const bool escaped = quoted && c == u'\\' && i + 1 < command.size() && EscapedInQuotes(command[i + 1]);
            const bool percent = c == u'%' && i + 1 < command.size() && command[i + 1] == u'%';
            word += escaped || percent ? command[++i] : c;
        }
        if (quoted && i == command.size()) return std::nullopt;
        if (quoted) ++i;
        words.push_back(std::move(word));
    }
}

}  // namespace

std::u16string DesktopEntryExec(std::u16string_view programPath, bool local) {
    std::u16string command;
    if (HoldsBytesThatAreNotUtf8(programPath)) {
        const std::u16string script =
            std::u16string(kBytesScriptBefore) + PrintfEscaped(ToUtf8(programPath)) + std::u16string(kBytesScriptAfter);
        command.append(kShell).append(u" -c ").append(QuotedArgument(script)).append(1, u' ').append(kBytesScriptName);
    } else if (programPath.find(u'%') != std::u16string_view::npos) {
        command.append(kShell).append(u" -c ").append(QuotedArgument(kShellScript)).append(1, u' ');
        command += QuotedArgument(programPath);
    } else {
        command += QuotedArgument(programPath);
    }
    if (local) command += u" LOCAL";
    return EscapedValue(command);
}

std::optional<std::u16string> DesktopEntryProgram(std::u16string_view execValue) {
    const auto words = Words(UnescapedValue(execValue));
    if (!words || words->empty()) return std::nullopt;
    const std::vector<std::u16string>& w = *words;
    if (w.size() >= 3 && w[0] == kShell && w[1] == u"-c") {
        if (auto path = PathOfBytesScript(w[2])) return path;
    }
    const bool throughShell = w.size() >= 4 && w[0] == kShell && w[1] == u"-c" && w[2] == kShellScript;
    const std::u16string& program = throughShell ? w[3] : w[0];
    if (program.empty()) return std::nullopt;
    return program;
}

}  // namespace kestrival
