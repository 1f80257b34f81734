#include "app/desktop_entry.h"

#include <gtest/gtest.h>

namespace kestrival {
namespace {

TEST(DesktopEntryTest, ExecLineQuotesAndEscapesThePath) {
    struct Case {
        const char* what;
        const char16_t* path;
        bool local;
        const char16_t* exec;  // as it stands in the file after "Exec="
    };
    const Case cases[] = {
        {"plain", u"/usr/bin/kestrival", false, u"\"/usr/bin/kestrival\""},
        {"LOCAL", u"/opt/k/kestrival", true, u"\"/opt/k/kestrival\" LOCAL"},
        {"a percent sign: through sh", u"/home/a/100% 確か dir/kestrival", false,
         u"sh -c \"exec \\\\\"\\\\$0\\\\\" \\\\\"\\\\$@\\\\\"\" \"/home/a/100%% 確か dir/kestrival\""},
        {"a field code look-alike", u"/home/a/%f/kestrival", true,
         u"sh -c \"exec \\\\\"\\\\$0\\\\\" \\\\\"\\\\$@\\\\\"\" \"/home/a/%%f/kestrival\" LOCAL"},
        {"a double quote", u"/opt/a\"b/kestrival", false, u"\"/opt/a\\\\\"b/kestrival\""},
        {"a dollar", u"/opt/$HOME/kestrival", false, u"\"/opt/\\\\$HOME/kestrival\""},
        {"a back quote", u"/opt/`id`/kestrival", false, u"\"/opt/\\\\`id\\\\`/kestrival\""},
        {"a backslash: four in the file", u"/opt/a\\b/kestrival", false, u"\"/opt/a\\\\\\\\b/kestrival\""},
        {"a line break stays on the line", u"/opt/a\nb\tc/kestrival", false, u"\"/opt/a\\nb\\tc/kestrival\""},
        {"shell characters need only the quotes", u"/opt/a'b;c&d|e*f?#(g)~<h>/k", false,
         u"\"/opt/a'b;c&d|e*f?#(g)~<h>/k\""},
        // Bytes 83 5E FF, a space and 確か: the entry holds them as printf's octal escapes.
        {"a folder whose name is not UTF-8", u"/home/a/\xDC83^\xDCFF 確か/kestrival", true,
         uR"(sh -c "p=\\$(printf '/home/a/\\\\203\\\\136\\\\377\\\\040\\\\347\\\\242\\\\272)"
         uR"(\\\\343\\\\201\\\\213/kestrivalx'); exec \\"\\${p%%x}\\" \\"\\$@\\"" kestrival LOCAL)"},
        {"not UTF-8 beside a percent sign and quotes", u"/h/\xDCE9%\"'$\\/k", false,
         uR"(sh -c "p=\\$(printf '/h/\\\\351\\\\045\\\\042\\\\047\\\\044\\\\134/kx'); )"
         uR"(exec \\"\\${p%%x}\\" \\"\\$@\\"" kestrival)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string exec = DesktopEntryExec(c.path, c.local);
        EXPECT_EQ(exec, c.exec);
        EXPECT_EQ(DesktopEntryProgram(exec), std::u16string(c.path));
    }
}

TEST(DesktopEntryTest, ProgramOfAnExecValue) {
    struct Case {
        const char16_t* exec;
        std::optional<std::u16string> program;
    };
    const Case cases[] = {
        {u"/usr/bin/kestrival LOCAL", u"/usr/bin/kestrival"},  // unquoted, by hand
        {u"  \"/opt/k/kestrival\"", u"/opt/k/kestrival"},
        {u"\\s\"/opt/k k/kestrival\"", u"/opt/k k/kestrival"},
        {u"\"/opt/100% dir/kestrival\"", u"/opt/100% dir/kestrival"},  // written before %% was
        {u"\"/opt/k/kestrival", std::nullopt},                         // a quote left open
        {u"\"\" LOCAL", std::nullopt},
        {u"sh -c \"exec \\\\\"\\\\$0\\\\\"\" \"/opt/k/kestrival\"", u"sh"},  // another script
        // printf forms that are not the gadget's own: a digit out of range, an escape cut short,
        // a character that would reach the shell unescaped, nothing at all.
        {uR"(sh -c "p=\\$(printf '/a/\\\\398x'); exec \\"\\${p%%x}\\" \\"\\$@\\"" k)", u"sh"},
        {uR"(sh -c "p=\\$(printf '/a/\\\\20x'); exec \\"\\${p%%x}\\" \\"\\$@\\"" k)", u"sh"},
        {uR"(sh -c "p=\\$(printf '/a b/x'); exec \\"\\${p%%x}\\" \\"\\$@\\"" k)", u"sh"},
        {uR"(sh -c "p=\\$(printf 'x'); exec \\"\\${p%%x}\\" \\"\\$@\\"" k)", u"sh"},
        {u"", std::nullopt},
        {u"   ", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(DesktopEntryProgram(c.exec), c.program);
}

}  // namespace
}  // namespace kestrival
