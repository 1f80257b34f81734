#pragma once
// The settings record: everything the gadget remembers between runs, plus what it learns about
// its surroundings at start-up, and the goal list beside it.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "settings/count_choices.h"
#include "settings/reminder_choices.h"
#include "support/civil_date.h"
#include "support/extend_string_list.h"
#include "support/file_io.h"

namespace kestrival {

class Environment;

// The most panels a gadget shows (CL x RW), and so the goals the settings dialog edits.
inline constexpr std::int32_t kMaxPanels = 150;

// One goal per line: title, start date and end date separated by commas.
using GoalList = ExtendStringList;

// A font as the core describes it; the Win32 layer makes the GDI font from it.
struct GadgetFont {
    std::u16string face;
    bool bold = true;
    std::int32_t points = 9;
};

// Rendering metrics that depend on the operating system's major version.
struct RenderStyle {
    std::int32_t Shaded = 0;
    GadgetFont Font;
    std::int32_t TitleFontSize = 9;
    std::int32_t PanelFontSize = 9;
    std::int32_t DateRowOffset = 0;
    std::int32_t BarGap = 0;
    std::int32_t DaysRowOffset = 0;
    std::int32_t BandExtra = 0;
    std::int32_t SwatchPenColor = 0;
};

RenderStyle ChooseRenderStyle(std::int32_t osMajorVersion);

// Indexes of the four outer frame flags, in file order.
enum FrameEdge { kFrameTop = 0, kFrameBottom = 1, kFrameLeft = 2, kFrameRight = 3 };

// What a save did. A file that could not be read at start-up is held back: writing it would
// put defaults over settings that were never seen.
enum class SaveOutcome { kSaved, kFailed, kHeldBack };

struct ExecuteSetting {
    ExtendStringList FileLines;
    ExtendStringList Arguments;
    std::int32_t OsMajorVersion = 0;
    std::int32_t OsMinorVersion = 0;
    std::u16string ProgramBase;
    std::u16string ProgramFolder;
    std::u16string DataFolder;
    std::u16string SettingFile;

    std::int32_t HB = 0, DX = 0, VB = 0, DY = 0, CL = 0, RW = 0, SR = 0, TR = 0, TB = 0;
    std::array<std::int32_t, 4> FM{};
    std::u16string TITLE;
    std::u16string BIRTH;
    std::int32_t DVIEW = 0;
    // Stacking (0 ordinary, 1 kept on top, 2 on the desktop) and the locked position; the file
    // holds each only while it differs from 0, so a file that never used them stays as it was.
    std::int32_t ZO = 0, LK = 0;
    // The notification-area icon, click-through and hiding under full-screen programs (each 1
    // when on), and the chosen monitor's rectangle as "x,y,w,h" (empty: the primary). Like ZO and
    // LK each is written only while set; MON is kept as the file had it, read when it is used.
    std::int32_t TI = 0, CT = 0, FH = 0;
    std::u16string MON;
    // How each goal counts, by its place in the goal list (CNT1 belongs to ITEM1); a goal past
    // the end has no choices. The file holds a goal's key only while it has a choice.
    std::vector<CountChoices> CNT;
    // The reminders of each goal, by its place in the goal list (RMD1 belongs to ITEM1), with the
    // day one was last shown (RMDSHOWN1). The file holds RMDn only while the goal has a reminder,
    // and RMDSHOWNn only once one was shown.
    std::vector<GoalReminders> RMD;
    // The user's days off, as typed; the file holds the key only while it is not empty.
    std::u16string OFFDAYS;

    std::int32_t BFCOLOR = 0, BBCOLOR = 0, TBCOLOR = 0, TTCOLOR = 0, PFCOLOR = 0, CBCOLOR = 0, CTCOLOR = 0, SDCOLOR = 0,
                 EDCOLOR = 0, PNCOLOR = 0, RNCOLOR = 0, GFCOLOR = 0, GBCOLOR = 0;

    RenderStyle Style;

    // The file exists but could not be read at start-up, or another file stood in its place at a
    // save: the gadget runs on what it has and never writes the file.
    bool FileUnreadable = false;
    // The last held-back save differed from what the run started with: the user's changes were
    // dropped, and the user is told once.
    bool DroppedChanges = false;
    bool DroppedChangesReported = false;

    // Locates, reads and rewrites the settings file, fills every member and rebuilds `goals`.
    // The same as Locate followed by ReadFile and RemoveLeftovers.
    void Load(const Environment& environment, const LocalClock& clock, GoalList& goals);
    // Arguments, system version and the settings file's place; creates its folder.
    void Locate(const Environment& environment);
    // The same without creating anything.
    void LocatePaths(const Environment& environment);
    // Reads the settings for a look only: nothing on disk changes (no folder made, no rewrite, no
    // recovery of an interrupted save). False when the file exists but cannot be read; a missing
    // file gives the defaults, as a first start would.
    bool Peek(const Environment& environment, const LocalClock& clock, GoalList& goals);
    // Reads the located file (rewriting it in its normal form), fills the record and `goals`.
    void ReadFile(const LocalClock& clock, GoalList& goals);
    // Once ReadFile found the settings in the file, what interrupted saves left beside it is no
    // longer needed: removed here, which a start can leave until the gadget is on the screen.
    void RemoveLeftovers();
    // Whether the gadget was started with LOCAL (its file beside the program).
    bool StartedLocal() const;
    // Rebuilds the whole file from the record and `goals`. Nothing is written when the file
    // already holds exactly these bytes.
    SaveOutcome Save(const GoalList& goals);

    // The parts of Load and Save that do not touch the disk.
    void ReadValues(const CivilDate& today, GoalList& goals);
    void BuildFileLines(const GoalList& goals);

private:
    // The file this run read or wrote last: the hash of its bytes and the file's state then.
    std::uint64_t knownFileHash_ = 0;
    FileState knownFileState_;
    bool fileKnown_ = false;
    // The record as this run started, for a run whose saves may be held back.
    std::uint64_t startHash_ = 0;
    // The file was read whole: the temporaries beside it may go.
    bool leftoversRemovable_ = false;
    // Writes FileLines, whose bytes hash to `hash`, to the settings file; false when it failed.
    bool WriteFileLines(std::uint64_t hash);
    void RememberFile(std::uint64_t hash, const FileState& state);
};

// What names one settings file whatever spelling reaches it (a second drive letter, a short
// name, a share): the identity of its folder on its volume and its own name in one letter case.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t folderIndex = 0;
    std::u16string upperName;
};

// The key of the one gadget a settings file may have: a hash of the file's identity, or of its
// full path in one letter case where the system gives no identity. The two never meet.
std::uint64_t InstanceKey(const FileIdentity& identity);
std::uint64_t InstanceKey(std::u16string_view normalisedPath);
// The name of the lock that keeps a second gadget off the file: "Local\Kestrival-" and the key
// in hexadecimal, a valid object name whatever the path held.
std::u16string InstanceLockName(std::uint64_t key);

// The notices about the settings file, naming it.
std::u16string UnreadableFileNotice(std::u16string_view path);
std::u16string UnsavedFileNotice(std::u16string_view path);
std::u16string HeldBackFileNotice(std::u16string_view path);

// The choices of the goal at `index` (from 0); none past the end of the list.
CountChoices ChoicesOfGoal(const ExecuteSetting& setting, std::int32_t index);

// The reminders of the goal at `index` (from 0); none past the end of the list.
GoalReminders RemindersOfGoal(const ExecuteSetting& setting, std::int32_t index);

// "2027年まで,2026/01/01,2027/01/01" for a today in 2026.
std::u16string DefaultGoal(const CivilDate& today);

}  // namespace kestrival
