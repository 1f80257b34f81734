#pragma once
// For the start-up benchmark: where the time of a start goes. When the environment variable
// KESTRIVAL_STARTUP_PROFILE names a file, each stage of the start is charged with the time since
// the previous one, and at exit the file receives the performance counter's value at the program's
// entry and each stage's share, one "name ticks" line each (plus "frequency"), for the benchmark to
// set beside the moment it started the process. Without the variable each call costs one test of a
// flag.
#include <cstdint>

namespace kestrival {

enum class StartupStage : std::uint8_t {
    kSettingsFolder,  // where the settings live, the folders made
    kLock,            // the one-gadget-per-file lock
    kSettingsFile,    // the file read (and, when needed, rewritten) and its values taken
    kFonts,           // the face chosen, the fonts and the off-screen bitmap made
    kWindow,          // the window made, laid out, stacked and shown
    kFirstPaint,      // the first frame painted into the bitmap and copied to the window
    kOther,           // the program's own work between those
    kCount
};

// Marks the program's entry; reads the environment variable once.
void StartStartupProfile();
// The time since the previous mark belongs to `stage`.
void ChargeStartup(StartupStage stage);
// The same, and the start is over: nothing more is charged.
void EndStartupProfile(StartupStage stage);
// Writes the file, when one was asked for.
void WriteStartupProfile();

}  // namespace kestrival
