#pragma once
// Whole-file access for the settings store. Paths are the system's own, in UTF-16: on Windows a
// backslash or a slash separates folders; on POSIX only a slash does, and a backslash is part of
// a name.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrival {

// A settings file is a few kilobytes; anything past this is not one, and reading it would only
// cost memory. Such a file is treated as unreadable and left alone.
inline constexpr std::uint64_t kMaxReadableFileBytes = 64ull << 20;

enum class ReadStatus {
    kRead,     // `bytes` holds the whole file
    kMissing,  // nothing at the path
    // It exists but could not be read: locked, no permission, too large, a folder, anything else
    // that is not a regular file (a pipe, a device), or reached through a symbolic link that
    // belongs to neither this user nor root (on POSIX).
    kUnreadable,
};

// What tells one file from another and one state of a file from the next: on POSIX its device,
// inode, size and modification time; on Windows its volume serial number, file index, size and
// last write time. A file put in place of another, or written by someone else, differs.
struct FileState {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;
    friend bool operator==(const FileState&, const FileState&) = default;
};

struct FileRead {
    ReadStatus status = ReadStatus::kMissing;
    std::string bytes;
    FileState state;  // of the file that was read, when it was
};

// Reads the whole file while letting other programs keep it open for anything, never waiting for
// a writer of a pipe or a device that stands at `path`. A file another
// program holds without sharing, or has locked a range of, is retried for about two seconds
// before it counts as unreadable.
FileRead ReadWholeFile(std::u16string_view path);

// The state of the file at `path` (following links), or nothing when nothing stands there or it
// cannot be looked at.
std::optional<FileState> StateOf(std::u16string_view path);

// Writes `bytes` to a file beside `path` and then replaces `path` with it in one step, so that a
// crash or a full disk leaves either the old file or the new one, never a mixture. The bytes go
// to a partial name first ("<name>.<n>.part", n a number nobody can guess, another tried where
// the name is taken) and take a temporary name only once every byte is on the disk, so a
// temporary is always whole. An existing file keeps its attributes, permissions and creation
// time (on POSIX its mode exactly, and its owner and group where the process may set them); a
// read-only file is not replaced; a symbolic link of this user's or root's stays a link and the
// file it points to takes the save, while a link of anyone else's is never followed (the save
// fails). A file with more than one name (a hard link in a synced or backup folder) keeps every
// name: the whole new text first goes to a flushed temporary, then the file is rewritten in place
// and flushed, then the temporary goes; a cut-short rewrite leaves the temporary for recovery. A
// file that another program holds for a moment is waited for, up to kBusyWaitMs. A save that
// failed after the old file had already left its name keeps its temporary, for the next start to
// recover; what earlier saves left is the caller's to clear (RemoveLeftoverTemporaries).
// `written`, when given, receives the state of the file the save left at `path`.
bool WriteFileReplacing(std::u16string_view path, std::string_view bytes, FileState* written = nullptr);

// The same for bytes produced in pieces: `source` calls `write` for each piece and returns
// false (as soon as `write` does) when the writing failed.
using ByteSink = std::function<bool(std::string_view)>;
using ByteSource = std::function<bool(const ByteSink& write)>;
bool WriteFileReplacing(std::u16string_view path, const ByteSource& source, FileState* written = nullptr);

// How long reads and saves wait for a file another program holds (a virus scanner, an indexer, a
// sync client) before they give up. Windows gives a program several seconds at the end of the
// session, so a save made then still fits.
inline constexpr std::uint32_t kBusyWaitMs = 2000;

// Whether bytes are a whole saved text by the format's own evidence. A temporary that fails it
// (cut short by a power cut in an earlier version, or never written) is never put in place.
using WholeCheck = std::function<bool(std::string_view bytes)>;

// Puts the newest whole temporary that interrupted saves of `path` left in place and answers true,
// when nothing stands at `path`, or when the file there is not whole by `isWhole`, older than that
// temporary or a cut-short beginning of it (a rewrite in place that was cut short, or one that a
// power cut left as zeros or stale blocks): a save cut short between writing and replacing leaves
// the user's settings only there. The file's links and other names are kept, and
// it takes the temporary's modification time, the age of the settings it now holds. Partial files
// and temporaries that fail `isWhole` are never put in place.
bool RecoverInterruptedSave(std::u16string_view path, const WholeCheck& isWhole);

// Removes the temporaries and partial files that interrupted saves of `path` left behind, except
// a temporary newer than the file that is neither empty nor the file's own bytes (it may hold
// settings the file does not), and every whole temporary (by `isWhole`) while the file itself is
// not whole. Only for a caller that knows the file at `path` holds the settings (this run read or
// wrote it): until then a temporary may be the only copy.
void RemoveLeftoverTemporaries(std::u16string_view path, const WholeCheck& isWhole);

// A temporary found beside the file: its name, when it was last written (any monotonic unit), its
// size and whether it holds a whole text. The one to recover is the newest whole one; null when
// none is.
struct LeftoverTemporary {
    std::u16string name;
    std::int64_t modified = 0;
    std::uint64_t size = 0;
    bool whole = false;
};
// Whether RemoveLeftoverTemporaries may remove a temporary beside a file last written at
// `fileModified`: it holds nothing, or nothing newer than the file.
bool HoldsNothingNewer(const LeftoverTemporary& temporary, std::int64_t fileModified);
const LeftoverTemporary* NewestRecoverable(const std::vector<LeftoverTemporary>& candidates);

// Whether a whole temporary written at `temporaryModified` holds newer settings than the file in
// place: the file is older, or it is a cut-short beginning of the temporary's bytes (a rewrite in
// place cut short after the temporary was flushed). The same bytes need nothing.
bool TemporaryIsNewer(std::string_view fileBytes, std::int64_t fileModified, std::string_view temporaryBytes,
                      std::int64_t temporaryModified);

// Whether recovery puts a whole temporary in place of the file that stands there: the file is not
// whole by `isWhole` (a rewrite in place cut short by a power cut may leave zeros or stale blocks,
// newer than the temporary), or the temporary is newer by TemporaryIsNewer.
bool TemporaryReplacesFile(std::string_view fileBytes, std::int64_t fileModified, std::string_view temporaryBytes,
                           std::int64_t temporaryModified, const WholeCheck& isWhole);

// Whether anything exists at `path`.
bool FileExists(std::u16string_view path);

// Creates the folder and every missing parent. False when it cannot.
bool CreateFolders(std::u16string_view folder);

// How the file system compares names: Windows ignores letter case, Linux compares exactly, so
// there "Kestrival_set.txt" and "kestrival_set.txt" are two files with temporaries of their own.
enum class NameCase { kExact, kIgnoreCase };

// The names a save of `fileName` (a name without folder) writes: "<name>.<n>.part" while the
// bytes are written, "<name>.<n>.tmp" once they are all on the disk. `unique` comes from
// UnguessableNumber, so that nobody can make the names a save will take before it takes them.
std::u16string PartialNameFor(std::u16string_view fileName, std::uint64_t unique);
std::u16string TemporaryNameFor(std::u16string_view fileName, std::uint64_t unique);
std::uint64_t UnguessableNumber();
// How often a save tries another name when the one it drew is taken.
inline constexpr int kNameAttempts = 16;
bool IsPartialNameFor(std::u16string_view candidate, std::u16string_view fileName, NameCase nameCase);
bool IsTemporaryNameFor(std::u16string_view candidate, std::u16string_view fileName, NameCase nameCase);

}  // namespace kestrival
