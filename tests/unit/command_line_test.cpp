#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kestrival_version.h"

namespace kestrival {
namespace {

CommandLine Parse(std::vector<std::string_view> arguments) { return ParseCommandLine(arguments); }

TEST(CommandLineTest, ArgumentsDecideWhatTheCommandDoes) {
    struct Case {
        std::vector<std::string_view> arguments;
        CommandAction action;
        std::string unknown;
    };
    const Case cases[] = {
        {{}, CommandAction::kRunGadget, ""},
        {{"LOCAL"}, CommandAction::kRunGadget, ""},
        {{"local", "notes.txt"}, CommandAction::kRunGadget, ""},  // plain arguments have no effect
        {{"-"}, CommandAction::kRunGadget, ""},
        {{"--help"}, CommandAction::kShowHelp, ""},
        {{"LOCAL", "--version"}, CommandAction::kShowVersion, ""},
        {{"--help", "--bogus"}, CommandAction::kShowHelp, ""},  // the first option decides
        {{"--bogus", "--help"}, CommandAction::kUsageError, "--bogus"},
        {{"--version", "--help"}, CommandAction::kShowVersion, ""},
        {{"-h"}, CommandAction::kUsageError, "-h"},
        {{"--HELP"}, CommandAction::kUsageError, "--HELP"},  // options are exact, unlike LOCAL
        {{"--help=yes"}, CommandAction::kUsageError, "--help=yes"},
        {{"--hel"}, CommandAction::kUsageError, "--hel"},
        {{"-local"}, CommandAction::kUsageError, "-local"},  // not the switch: said, not ignored
        {{"--", "--help"}, CommandAction::kRunGadget, ""},   // after "--" nothing is an option
        {{"LOCAL", "--", "-x"}, CommandAction::kRunGadget, ""},
        // A session restoring the gadget: the toolkit's option and its value pass.
        {{"-session", "10d2a5f3e1-1"}, CommandAction::kRunGadget, ""},
        {{"--session", "-odd-id", "LOCAL"}, CommandAction::kRunGadget, ""},
        {{"-session", "id", "--version"}, CommandAction::kShowVersion, ""},
        {{"-session"}, CommandAction::kRunGadget, ""},
        // ...and the name it adds when the gadget was started through a link.
        {{"-session", "abc", "-name", "linked", "LOCAL"}, CommandAction::kRunGadget, ""},
    };
    for (const Case& c : cases) {
        const CommandLine line = Parse(c.arguments);
        std::string shown;
        for (std::string_view a : c.arguments) shown.append(a).append(" ");
        EXPECT_EQ(line.action, c.action) << shown;
        EXPECT_EQ(line.unknownOption, c.unknown) << shown;
    }
}

TEST(CommandLineTest, UsageListsLocalAndEveryOption) {
    const std::string usage = UsageText("kestrival");
    EXPECT_EQ(usage.rfind("Usage: kestrival [LOCAL]\n", 0), 0u) << usage;
    EXPECT_NE(usage.find("  LOCAL  "), std::string::npos) << usage;
    EXPECT_NE(usage.find("kestrival_set.txt"), std::string::npos) << usage;
    for (const CommandOption& option : kCommandOptions) {
        const bool listed = usage.find("  " + std::string(option.name) + "  ") != std::string::npos;
        EXPECT_EQ(listed, !option.summary.empty()) << option.name;
        if (listed) {
            EXPECT_NE(usage.find(option.summary), std::string::npos) << option.name;
        }
        EXPECT_NE(ParseCommandLine(std::vector<std::string_view>{option.name}).action, CommandAction::kUsageError);
    }
    // Every summary starts in one column.
    const std::size_t column = usage.find("print this help");
    const std::size_t lineStart = usage.rfind('\n', column) + 1;
    const std::size_t versionLine = usage.find("  --version");
    EXPECT_EQ(usage.find("print the version", versionLine) - versionLine, column - lineStart);
}

TEST(CommandLineTest, TheSessionRestartsTheGadgetWithItsArguments) {
    using Command = std::vector<std::string>;
    // The file that runs, as the kernel names it: the session restarts this one, whatever the
    // command was typed as, since its LOCAL file is the one beside it.
    const std::string program = "/home/me/a\\b/bin/kestrival";
    const Command toolkit{"kestrival", "-session", "10d2a5f3e1_1_2"};
    const Command restart{program, "-session", "10d2a5f3e1_1_2"};
    auto with = [](Command command, std::initializer_list<std::string> tail) {
        command.insert(command.end(), tail);
        return command;
    };
    struct Case {
        Command toolkit;
        std::vector<std::string_view> start;
        Command restart;
    };
    const Case cases[] = {
        // Found through PATH: another copy may come first in the next session's PATH.
        {toolkit, {}, restart},
        {toolkit, {"LOCAL"}, with(restart, {"LOCAL"})},
        {toolkit, {"local", "notes.txt"}, with(restart, {"local", "notes.txt"})},
        // A gadget the session brought back: the session before is not carried, its LOCAL is.
        {toolkit, {"-session", "old_1_1", "LOCAL"}, with(restart, {"LOCAL"})},
        {toolkit, {"--session", "LOCAL"}, restart},  // "LOCAL" is the old session's id here
        {toolkit, {"LOCAL", "--", "-x"}, with(restart, {"LOCAL", "--", "-x"})},
        {toolkit, {"--", "LOCAL"}, with(restart, {"LOCAL"})},
        // Started through a link: the toolkit names it; the name before is not carried twice.
        {with(toolkit, {"-name", "linked"}), {"-name", "old", "LOCAL"}, with(restart, {"-name", "linked", "LOCAL"})},
        // Asked again in the same save: nothing is added twice.
        {{program, "-session", "id", "LOCAL"}, {"LOCAL"}, {program, "-session", "id", "LOCAL"}},
        // Started through a relative folder: named so that any working folder finds it.
        {{"./bin/kestrival", "-session", "id"}, {"LOCAL"}, {program, "-session", "id", "LOCAL"}},
        {{"/opt/kestrival/kestrival", "-session", "id"}, {}, {"/opt/kestrival/kestrival", "-session", "id"}},
        {{}, {"LOCAL"}, {}},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (std::string_view a : c.start) shown.append(a).append(" ");
        EXPECT_EQ(RestartCommand(c.toolkit, c.start, program), c.restart) << shown;
    }
    // Without a path of its own the command keeps what the toolkit gave.
    EXPECT_EQ(RestartCommand(toolkit, std::vector<std::string_view>{}, ""), toolkit);
}

TEST(CommandLineTest, VersionAndErrorTexts) {
    EXPECT_EQ(VersionText("kestrival"), "kestrival " KESTRIVAL_VERSION_TEXT "\n");
    const std::string error = UsageErrorText("kestrival", "--bogus");
    EXPECT_EQ(error.rfind("kestrival: unknown option '--bogus'\n", 0), 0u) << error;
    EXPECT_NE(error.find(UsageText("kestrival")), std::string::npos);
}

}  // namespace
}  // namespace kestrival
