#pragma once
// The Linux command's arguments. The switch LOCAL (read by the settings record) picks the file
// beside the program; an option answers on the terminal and ends before the gadget opens a display,
// takes its lock or reads the settings file. Any other plain argument has no effect.
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kestrival {

// What one start of the command does: run the gadget, or the handler of one option.
enum class CommandAction { kRunGadget, kShowHelp, kShowVersion, kPrintGoals, kUsageError };

struct CommandOption {
    std::string_view name;  // exactly as typed
    CommandAction action;
    std::string_view summary;  // its line in the usage; none for an option people do not type
    bool takesValue = false;   // the next argument is its value
};

// The options, in the order the usage lists them. A new option is a row here and the handler of
// its action in the program's entry.
inline constexpr CommandOption kCommandOptions[] = {
    {"--help", CommandAction::kShowHelp, "print this help and exit"},
    {"--version", CommandAction::kShowVersion, "print the version and exit"},
    {"--print", CommandAction::kPrintGoals,
     "print the goals, one a line: title, dates, days elapsed and left, separated by tabs"},
    // A desktop session that restores its programs at login starts the gadget again with the
    // toolkit's session option; the toolkit reads it, and refusing it would lose the gadget.
    {"-session", CommandAction::kRunGadget, "", true},
    {"--session", CommandAction::kRunGadget, "", true},
    // The toolkit adds its name option to that command when the gadget was started under another
    // name than its file's (through a link, say).
    {"-name", CommandAction::kRunGadget, "", true},
};

struct CommandLine {
    CommandAction action = CommandAction::kRunGadget;
    std::string unknownOption;  // set when action is kUsageError
};

// Reads the arguments after the program's name from left to right: the first option decides.
// An option starts with '-' (a lone "-" does not); after "--" nothing is an option.
CommandLine ParseCommandLine(std::span<const std::string_view> arguments);

// The command a session manager runs to bring the gadget back at the next login: the toolkit's
// own (`toolkitCommand`: the program and its session option with the session's id) with the
// plain arguments this start was given (LOCAL) carried over; without them a gadget that kept its
// file beside the program would come back on the shared one. The start's options are left out:
// its session option names the session before, and the others never run a gadget. A program not
// named by its full path (a relative folder, or a name found through PATH) is named by
// `absoluteProgram`, the file that runs: the session manager starts it from a working folder and a
// PATH of its own, where another copy, with a LOCAL file of its own, may come first. The toolkit may ask twice in one
// save (for its data, then its state); a command that already carries the arguments is given back as it is.
std::vector<std::string> RestartCommand(std::vector<std::string> toolkitCommand,
                                        std::span<const std::string_view> startArguments,
                                        std::string_view absoluteProgram);

// The usage, for standard output with --help and standard error after an unknown option.
std::string UsageText(std::string_view program);
std::string VersionText(std::string_view program);
// An unknown option: one line naming it, then the usage.
std::string UsageErrorText(std::string_view program, std::string_view option);

// The exit status of a start that ends on a usage error.
inline constexpr int kUsageErrorStatus = 2;

}  // namespace kestrival
