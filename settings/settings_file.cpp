// Load and save of the settings file.
#include <array>
#include <optional>
#include <utility>
#include <vector>

#include "settings/environment.h"
#include "settings/execute_setting.h"
#include "settings/setting_keys.h"
#include "support/extend_string_list.h"
#include "support/file_io.h"
#include "support/integer_rule.h"
#include "support/text.h"
#include "support/ui_texts.h"

namespace kestrival {
namespace {

constexpr const char16_t* kVendorFolder = u"ZKFILES";
constexpr const char16_t* kProductFolder = u"Kestrival";
constexpr const char16_t* kProductFile = u"ZKQV_set.txt";
constexpr const char16_t* kLocalSuffix = u"_set.txt";
constexpr const char16_t* kLocalSwitch = u"LOCAL";

// The folder part of `path`, ending in its separator. Windows takes a slash for a backslash; on
// Linux a backslash is an ordinary character of a name, so only a slash ends a folder.
std::u16string FolderOf(const std::u16string& path, char16_t separator) {
    const std::u16string_view separators = separator == u'\\' ? u"\\/" : u"/";
    const std::size_t slash = path.find_last_of(separators);
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

// The number n when `key` reads as `prefix` followed by n (n >= 1, written without leading
// zeros, as FormatText writes it), else 0.
std::int32_t NumberOfKey(std::u16string_view key, std::u16string_view prefix) {
    if (key.size() <= prefix.size() || key.size() > prefix.size() + 10 ||
        !EqualsIgnoreAsciiCase(key.substr(0, prefix.size()), prefix))
        return 0;
    const std::u16string_view digits = key.substr(prefix.size());
    if (digits[0] < u'1' || digits[0] > u'9') return 0;
    std::int64_t n = 0;
    for (char16_t c : digits) {
        if (c < u'0' || c > u'9') return 0;
        n = n * 10 + (c - u'0');
    }
    return n > 2147483647 ? 0 : static_cast<std::int32_t>(n);
}

// The keys a goal may have beside its ITEMn line, each numbered like it.
enum GoalKey : std::size_t { kCountKey, kRemindKey, kRemindShownKey, kGoalKeyCount };
constexpr std::u16string_view kGoalKeyPrefixes[kGoalKeyCount] = {u"CNT", u"RMD", u"RMDSHOWN"};

// What a goal's key says, read into its place. A shown day that is no date is no record.
void ReadGoalKey(GoalKey key, std::u16string_view value, CountChoices& choices, GoalReminders& reminders) {
    switch (key) {
        case kCountKey:
            choices = ParseCountChoices(value);
            break;
        case kRemindKey:
            reminders.choices = ParseReminderChoices(value);
            break;
        case kRemindShownKey:
            if (const auto day = ParseDateText(value)) reminders.shownDay = DayNumber(*day);
            break;
        case kGoalKeyCount:
            break;
    }
}

// The goal lines ITEM1, ITEM2, ... up to the first missing or empty one, and the counting
// choices CNTn and reminders RMDn, RMDSHOWNn of those goals. Key lookups take the first
// non-comment line of each key; one walk over the lines finds them all, where looking each
// number up on its own would rescan the file once per goal.
void ReadGoals(const ExtendStringList& lines, GoalList& goals, std::vector<CountChoices>& choices,
               std::vector<GoalReminders>& reminders) {
    const auto lineCount = static_cast<std::size_t>(lines.Count());
    auto goalNumberAt = [&lines](std::size_t i) {
        const std::u16string_view line = lines.LineView(i);
        return IsCommentLine(line) ? 0 : NumberOfKey(TrimmedKeyOf(line), u"ITEM");
    };
    // A contiguous run of goals cannot be longer than the file has goal lines; sizing the table
    // by those keeps a file of millions of other lines from costing a slot per line.
    std::size_t goalLines = 0;
    for (std::size_t i = 0; i < lineCount; ++i) goalLines += goalNumberAt(i) > 0 ? 1 : 0;
    std::vector<std::int32_t> firstLineOfGoal(goalLines + 1, -1);
    for (std::size_t i = 0; i < lineCount; ++i) {
        const std::int32_t n = goalNumberAt(i);
        const auto slot = static_cast<std::size_t>(n);
        if (n > 0 && slot <= goalLines && firstLineOfGoal[slot] < 0)
            firstLineOfGoal[slot] = static_cast<std::int32_t>(i);
    }
    goals.Clear();
    for (std::size_t n = 1; n <= goalLines && firstLineOfGoal[n] >= 0; ++n) {
        const std::u16string value = ValuePart(lines.LineView(static_cast<std::size_t>(firstLineOfGoal[n])));
        if (value.empty()) break;
        goals.Add(value);
    }
    // Keys of goals that are not in the list are not kept.
    const auto goalCount = static_cast<std::size_t>(goals.Count());
    choices.assign(goalCount, CountChoices{});
    reminders.assign(goalCount, GoalReminders{});
    std::vector<std::array<bool, kGoalKeyCount>> seen(goalCount + 1, std::array<bool, kGoalKeyCount>{});
    for (std::size_t i = 0; i < lineCount && goalCount > 0; ++i) {
        const std::u16string_view line = lines.LineView(i);
        if (IsCommentLine(line)) continue;
        const std::u16string_view key = TrimmedKeyOf(line);
        for (std::size_t k = 0; k < kGoalKeyCount; ++k) {
            const auto n = static_cast<std::size_t>(NumberOfKey(key, kGoalKeyPrefixes[k]));
            if (n == 0 || n > goalCount || seen[n][k]) continue;
            seen[n][k] = true;
            ReadGoalKey(static_cast<GoalKey>(k), ValuePart(line), choices[n - 1], reminders[n - 1]);
        }
    }
}

// FNV-1a over the bytes, with their count mixed in.
struct ByteHash {
    std::uint64_t value = 1469598103934665603ull;
    std::uint64_t count = 0;
    void Add(std::string_view bytes) {
        for (char c : bytes) value = (value ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        count += bytes.size();
    }
    std::uint64_t Result() const { return value ^ count; }
};

std::uint64_t HashOf(std::string_view bytes) {
    ByteHash hash;
    hash.Add(bytes);
    return hash.Result();
}

std::uint64_t HashOf(const ExtendStringList& lines) {
    ByteHash hash;
    lines.WriteBytes([&hash](std::string_view piece) {
        hash.Add(piece);
        return true;
    });
    return hash.Result();
}

std::u16string ColourText(std::int32_t colour) {
    static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    std::uint32_t value = static_cast<std::uint32_t>(colour);
    std::u16string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (text.size() < 6) text.insert(0, 6 - text.size(), u'0');
    return text;
}

std::u16string Hex64(std::uint64_t value) {
    std::u16string text;
    for (int shift = 60; shift >= 0; shift -= 4) text += u"0123456789ABCDEF"[(value >> shift) & 0xF];
    return text;
}

}  // namespace

void ExecuteSetting::Load(const Environment& environment, const LocalClock& clock, GoalList& goals) {
    Locate(environment);
    ReadFile(clock, goals);
    RemoveLeftovers();
}

void ExecuteSetting::Locate(const Environment& environment) {
    LocatePaths(environment);
    CreateFolders(FolderOf(SettingFile, environment.PathSeparator()));
}

bool ExecuteSetting::Peek(const Environment& environment, const LocalClock& clock, GoalList& goals) {
    LocatePaths(environment);
    FileLines.FileName = SettingFile;
    FileLines.Clear();
    FileRead read = ReadWholeFile(SettingFile);
    if (read.status == ReadStatus::kUnreadable) return false;
    if (read.status == ReadStatus::kRead) FileLines.LoadFromBytes(read.bytes);
    ReadValues(clock.Now().date, goals);
    FileLines.Release();
    return true;
}

void ExecuteSetting::LocatePaths(const Environment& environment) {
    Arguments.Clear();
    for (const auto& argument : environment.Arguments()) Arguments.Add(AsciiUpper(argument));

    const OsVersion version = environment.Version();
    OsMajorVersion = version.major;
    OsMinorVersion = version.minor;

    const std::u16string programPath = environment.ProgramPath();
    // The program's name without its ".exe"; a program file without one (on Linux) keeps its name.
    const bool exe = programPath.size() > 4 && EqualsIgnoreAsciiCase(RightText(programPath, 4), u".exe");
    ProgramBase = exe ? LeftText(programPath, static_cast<std::int32_t>(programPath.size()) - 4) : programPath;
    ProgramFolder = FolderOf(programPath, environment.PathSeparator());

    // Without a documents folder the data goes beside the program rather than to a made-up path.
    std::u16string documents = environment.DocumentsFolder().value_or(u"");
    if (documents.empty()) documents = LeftText(ProgramFolder, static_cast<std::int32_t>(ProgramFolder.size()) - 1);
    const std::u16string separator(1, environment.PathSeparator());
    DataFolder = documents + separator + kVendorFolder + separator;
    SettingFile = DataFolder + kProductFolder + separator + kProductFile;
    if (StartedLocal()) SettingFile = ProgramBase + kLocalSuffix;
}

bool ExecuteSetting::StartedLocal() const { return Arguments.IndexOf(kLocalSwitch) >= 0; }

void ExecuteSetting::ReadFile(const LocalClock& clock, GoalList& goals) {
    // The rewrite normalises the file's encoding and line ends; a file that already holds exactly
    // those bytes is not written again. A file that exists but cannot be read (locked, no
    // permission, far too large) is left alone for the whole run: writing it would replace
    // settings this run never saw.
    FileLines.FileName = SettingFile;
    FileLines.Clear();
    // A save cut short between writing its temporary and replacing the file can leave the
    // settings only in that temporary.
    RecoverInterruptedSave(SettingFile, IsWholeSavedText);
    FileRead read = ReadWholeFile(SettingFile);
    FileUnreadable = read.status == ReadStatus::kUnreadable;
    if (read.status == ReadStatus::kRead) {
        FileLines.LoadFromBytes(read.bytes);
        RememberFile(HashOf(read.bytes), read.state);
        std::string().swap(read.bytes);
        const std::uint64_t normalised = HashOf(FileLines);
        if (normalised != knownFileHash_) WriteFileLines(normalised);
        // The file holds the settings now, so what interrupted saves left is no longer needed.
        leftoversRemovable_ = true;
    } else if (read.status == ReadStatus::kMissing) {
        WriteFileLines(HashOf(FileLines));
    }

    ReadValues(clock.Now().date, goals);
    // Any save may yet be held back (the file may be replaced by another program at any time):
    // what the run starts with tells whether holding one back drops the user's changes.
    BuildFileLines(goals);
    startHash_ = HashOf(FileLines);
    // Every save rebuilds the file from the record, so the lines as read are not needed again.
    FileLines.Release();
}

void ExecuteSetting::RemoveLeftovers() {
    if (!std::exchange(leftoversRemovable_, false)) return;
    RemoveLeftoverTemporaries(SettingFile, IsWholeSavedText);
}

bool ExecuteSetting::WriteFileLines(std::uint64_t hash) {
    // A write clears away the leftovers itself when it succeeds; when it fails, its own temporary
    // may hold the only copy of these settings, which a later removal must not take.
    leftoversRemovable_ = false;
    FileState written;
    const auto bytes = [this](const ByteSink& write) { return FileLines.WriteBytes(write); };
    if (!WriteFileReplacing(SettingFile, bytes, &written)) return false;
    RememberFile(hash, written);
    return true;
}

void ExecuteSetting::RememberFile(std::uint64_t hash, const FileState& state) {
    knownFileHash_ = hash;
    knownFileState_ = state;
    fileKnown_ = true;
}

void ExecuteSetting::ReadValues(const CivilDate& today, GoalList& goals) {
    const std::u16string frame = FileLines.GetValue(u"FM", kDefaultFrame);
    TITLE = FileLines.GetValue(u"TITLE", kDefaultTitle);
    BIRTH = FileLines.GetValue(u"BIRTH");
    DVIEW = FileLines.GetInteger(u"DVIEW", kDefaultDview);
    ZO = FileLines.GetInteger(u"ZO", 0);
    LK = FileLines.GetInteger(u"LK", 0);
    TI = FileLines.GetInteger(u"TI", 0);
    CT = FileLines.GetInteger(u"CT", 0);
    FH = FileLines.GetInteger(u"FH", 0);
    MON = FileLines.GetValue(u"MON");
    for (const auto& key : kLayoutKeys) this->*key.member = FileLines.GetInteger(key.key, key.fallback);
    // Each frame flag is one character of the FM text on its own; a missing or odd one draws the edge.
    for (std::size_t k = 0; k < FM.size(); ++k) {
        FM[k] = k < frame.size() ? StrToIntDef(frame.substr(k, 1), 1) : 1;
    }
    // Colours are hexadecimal digits without a prefix; anything else gives the default colour.
    for (const auto& key : kColourKeys) {
        const std::int32_t fallback = StrToIntDef(std::u16string(u"0x") + key.fallbackText, 0);
        this->*key.member = StrToIntDef(u"0x" + FileLines.GetValue(key.key, key.fallbackText), fallback);
    }
    OFFDAYS = FileLines.GetValue(u"OFFDAYS");
    ReadGoals(FileLines, goals, CNT, RMD);
    if (goals.Count() == 0) goals.Add(DefaultGoal(today));
    CNT.resize(static_cast<std::size_t>(goals.Count()));
    RMD.resize(static_cast<std::size_t>(goals.Count()));
    Style = ChooseRenderStyle(OsMajorVersion);
}

void ExecuteSetting::BuildFileLines(const GoalList& goals) {
    // The list starts empty and every key occurs once, so each key line is simply appended in
    // the file's fixed order (a lookup per key would make saving quadratic in the goal count).
    FileLines.Clear();
    auto put = [this](std::u16string_view key, std::u16string_view value) { FileLines.Add(MakeKeyValue(key, value)); };
    auto putInteger = [&put](std::u16string_view key, std::int32_t value) { put(key, FormatText(u"%d", {value})); };
    FileLines.Add(kFileHeader);
    putInteger(u"VERSION", kFileFormatVersion);
    FileLines.Add(u"");
    put(u"TITLE", TITLE);
    put(u"BIRTH", BIRTH);
    putInteger(u"DVIEW", DVIEW);
    FileLines.Add(u"");
    for (const auto& key : kLayoutKeys) putInteger(key.key, this->*key.member);
    put(u"FM", FormatText(u"%d%d%d%d", {FM[kFrameTop], FM[kFrameBottom], FM[kFrameLeft], FM[kFrameRight]}));
    if (ZO != 0) putInteger(u"ZO", ZO);
    if (LK != 0) putInteger(u"LK", LK);
    if (TI != 0) putInteger(u"TI", TI);
    if (CT != 0) putInteger(u"CT", CT);
    if (FH != 0) putInteger(u"FH", FH);
    if (!MON.empty()) put(u"MON", MON);
    FileLines.Add(u"");
    for (const auto& key : kColourKeys) put(key.key, ColourText(this->*key.member));
    FileLines.Add(u"");
    if (!OFFDAYS.empty()) put(u"OFFDAYS", OFFDAYS);
    for (std::int32_t i = 0; i < goals.Count(); ++i) {
        put(FormatText(u"ITEM%d", {i + 1}), goals.LineAt(i));
        const std::u16string choices = CountChoicesText(ChoicesOfGoal(*this, i));
        if (!choices.empty()) put(FormatText(u"CNT%d", {i + 1}), choices);
        const GoalReminders reminders = RemindersOfGoal(*this, i);
        if (reminders.choices.Any()) put(FormatText(u"RMD%d", {i + 1}), ReminderChoicesText(reminders.choices));
        if (reminders.shownDay) put(FormatText(u"RMDSHOWN%d", {i + 1}), DateText(DateOfDayNumber(*reminders.shownDay)));
    }
}

SaveOutcome ExecuteSetting::Save(const GoalList& goals) {
    BuildFileLines(goals);
    const std::uint64_t hash = HashOf(FileLines);
    // A save replaces only the file this run itself read or wrote last. Anything else at its
    // place holds settings the run never saw: a file that turned up later (a folder that mounted
    // late, a sync client or a restore from backup that put the user's file there, also over the
    // empty one this run created). It is held back like an unreadable one.
    const std::optional<FileState> onDisk = StateOf(SettingFile);
    const bool ours = onDisk ? fileKnown_ && *onDisk == knownFileState_ : !FileExists(SettingFile);
    if (!ours) FileUnreadable = true;
    if (FileUnreadable) {
        FileLines.Release();
        DroppedChanges = hash != startHash_;
        return SaveOutcome::kHeldBack;
    }
    // Nothing changed since the load or the last save: leave the file as it is.
    const bool unchanged = onDisk && hash == knownFileHash_;
    const bool saved = unchanged || WriteFileLines(hash);
    FileLines.Release();
    // The file holds this run's settings, newer than anything an interrupted save left.
    if (saved && !unchanged) RemoveLeftoverTemporaries(SettingFile, IsWholeSavedText);
    return saved ? SaveOutcome::kSaved : SaveOutcome::kFailed;
}

std::uint64_t InstanceKey(const FileIdentity& identity) {
    // The lines' UTF-16LE bytes, as the file itself writes text; the first line keeps an identity
    // from ever hashing like a path.
    ExtendStringList lines;
    lines.Add(u"identity");
    lines.Add(Hex64(identity.volume));
    lines.Add(Hex64(identity.folderIndex));
    lines.Add(identity.upperName);
    return HashOf(lines);
}

std::uint64_t InstanceKey(std::u16string_view normalisedPath) {
    ExtendStringList path;
    path.Add(normalisedPath);
    return HashOf(path);
}

std::u16string InstanceLockName(std::uint64_t key) { return u"Local\\Kestrival-" + Hex64(key); }

std::u16string UnreadableFileNotice(std::u16string_view path) {
    return texts::kUnreadableFileBefore + std::u16string(path) + texts::kUnreadableFileAfter;
}

std::u16string HeldBackFileNotice(std::u16string_view path) {
    return texts::kHeldBackFileBefore + std::u16string(path) + texts::kHeldBackFileAfter;
}

std::u16string UnsavedFileNotice(std::u16string_view path) {
    return texts::kUnsavedFileBefore + std::u16string(path) + texts::kUnsavedFileAfter;
}

}  // namespace kestrival
