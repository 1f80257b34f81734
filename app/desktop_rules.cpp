#include "app/desktop_rules.h"

#include "support/text.h"

namespace kestrival {

Stacking StackingOf(std::int32_t ZO) {
    if (ZO == 1) return Stacking::kOnTop;
    if (ZO == 2) return Stacking::kOnDesktop;
    return Stacking::kOrdinary;
}

StackingMove OnForegroundChanged(Stacking stacking, std::u16string_view rootClass, bool ownProcess) {
    if (stacking != Stacking::kOnDesktop || ownProcess) return StackingMove::kNone;
    if (rootClass == u"WorkerW" || rootClass == u"Progman") return StackingMove::kAboveDesktop;
    return StackingMove::kToBottom;
}

std::u16string StartupCommand(std::u16string_view programPath, bool local) {
    std::u16string command;
    command.reserve(programPath.size() + 8);
    command.append(1, u'"').append(programPath).append(1, u'"');
    if (local) command.append(u" LOCAL");
    return command;
}

bool StartupCommandNames(std::u16string_view command, std::u16string_view programPath) {
    std::u16string_view program = TrimControlAndSpace(command);
    if (!program.empty() && program.front() == u'"') {
        program.remove_prefix(1);
        program = program.substr(0, program.find(u'"'));
    } else {
        // Unquoted, the path runs to the first blank after its file name.
        const std::size_t blank = program.find(u' ', program.find_last_of(u'\\') + 1);
        if (blank != std::u16string_view::npos) program = program.substr(0, blank);
    }
    return !program.empty() && EqualsIgnoreAsciiCase(program, programPath);
}

}  // namespace kestrival
