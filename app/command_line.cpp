// The Linux command's arguments and the texts it prints on the terminal.
#include "app/command_line.h"

#include <algorithm>

#include "kestrival_version.h"

namespace kestrival {
namespace {

bool IsOption(std::string_view argument) { return argument.size() > 1 && argument.front() == '-'; }

const CommandOption* FindOption(std::string_view name) {
    for (const CommandOption& option : kCommandOptions) {
        if (option.name == name) return &option;
    }
    return nullptr;
}

// The start's plain arguments in their order; those after "--" follow a "--" of their own when
// one of them would otherwise read as an option.
std::vector<std::string> PlainArguments(std::span<const std::string_view> arguments) {
    std::vector<std::string> plain;
    std::size_t i = 0;
    for (; i < arguments.size() && arguments[i] != "--"; ++i) {
        if (!IsOption(arguments[i])) {
            plain.emplace_back(arguments[i]);
        } else if (const CommandOption* option = FindOption(arguments[i]); option && option->takesValue) {
            ++i;
        }
    }
    if (i >= arguments.size()) return plain;
    const std::span<const std::string_view> rest = arguments.subspan(i + 1);
    if (std::any_of(rest.begin(), rest.end(), IsOption)) plain.emplace_back("--");
    plain.insert(plain.end(), rest.begin(), rest.end());
    return plain;
}

bool EndsWith(const std::vector<std::string>& command, const std::vector<std::string>& tail) {
    return command.size() >= tail.size() && std::equal(tail.rbegin(), tail.rend(), command.rbegin());
}

}  // namespace

std::vector<std::string> RestartCommand(std::vector<std::string> toolkitCommand,
                                        std::span<const std::string_view> startArguments,
                                        std::string_view absoluteProgram) {
    if (toolkitCommand.empty()) return toolkitCommand;
    std::string& program = toolkitCommand.front();
    if (!program.starts_with('/') && !absoluteProgram.empty()) program = absoluteProgram;
    const std::vector<std::string> carried = PlainArguments(startArguments);
    if (!carried.empty() && !EndsWith(toolkitCommand, carried)) {
        toolkitCommand.insert(toolkitCommand.end(), carried.begin(), carried.end());
    }
    return toolkitCommand;
}

CommandLine ParseCommandLine(std::span<const std::string_view> arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string_view argument = arguments[i];
        if (argument == "--") break;
        if (!IsOption(argument)) continue;
        const CommandOption* option = FindOption(argument);
        if (option == nullptr) return {CommandAction::kUsageError, std::string(argument)};
        if (option->action != CommandAction::kRunGadget) return {option->action, {}};
        if (option->takesValue) ++i;
    }
    return {};
}

std::string UsageText(std::string_view program) {
    constexpr std::string_view kLocal = "LOCAL";
    std::size_t width = kLocal.size();
    for (const CommandOption& option : kCommandOptions) width = std::max(width, option.name.size());
    auto row = [width](std::string_view name, std::string_view summary) {
        return std::string("  ").append(name).append(width + 2 - name.size(), ' ').append(summary).append("\n");
    };
    std::string text;
    text.append("Usage: ").append(program).append(" [LOCAL]\n");
    text.append("       ").append(program).append(" --print [LOCAL]\n");
    text.append("       ").append(program).append(" OPTION\n");
    text.append("A desktop gadget that counts the days towards goals.\n\n");
    text.append(
        row(kLocal, std::string("keep the settings in ").append(program).append("_set.txt beside the program,")));
    text.append(row("", "not in ZKFILES/Kestrival/ZKQV_set.txt in the documents folder"));
    for (const CommandOption& option : kCommandOptions) {
        if (!option.summary.empty()) text.append(row(option.name, option.summary));
    }
    return text;
}

std::string VersionText(std::string_view program) {
    return std::string(program).append(" ").append(KESTRIVAL_VERSION_TEXT).append("\n");
}

std::string UsageErrorText(std::string_view program, std::string_view option) {
    std::string text(program);
    text.append(": unknown option '").append(option).append("'\n");
    return text.append(UsageText(program));
}

}  // namespace kestrival
