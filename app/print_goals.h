#pragma once
// The goals as text, for status bars and scripts: one line per goal with its title, the dates its
// panel shows and its two numbers, separated by tabs. The numbers are the panel's own.
#include <string>

#include "settings/execute_setting.h"

namespace kestrival {

// Every goal of the list as the panel shows it at `now`; a number the panel leaves out is an empty
// field, and a goal whose dates do not read has only its title and date texts.
std::u16string GoalsAsText(const ExecuteSetting& setting, const GoalList& goals, const LocalDateTime& now);

// What a print run writes and how it ends.
struct PrintOutcome {
    int status = 0;
    std::u16string output;
    std::u16string error;
};

// Reads the settings file without changing it and prints the goals; a file that cannot be read
// ends with status 1 and a message naming it (for the program's name to be put before).
PrintOutcome PrintGoals(const Environment& environment, const LocalClock& clock);

}  // namespace kestrival
