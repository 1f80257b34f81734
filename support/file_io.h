#pragma once
// Whole-file access for the settings store. Paths are Windows paths in UTF-16 (backslash
// separators); the POSIX build, which only the tests and tools use, maps backslashes to slashes.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kestrival {

// A settings file is a few kilobytes; anything past this is not one, and reading it would only
// cost memory. Such a file is treated as unreadable and left alone.
inline constexpr std::uint64_t kMaxReadableFileBytes = 64ull << 20;

enum class ReadStatus {
    kRead,        // `bytes` holds the whole file
    kMissing,     // nothing at the path
    kUnreadable,  // it exists but could not be read: locked, no permission, too large, a folder
};

struct FileRead {
    ReadStatus status = ReadStatus::kMissing;
    std::string bytes;
};

// Reads the whole file while letting other programs keep it open for anything. A file another
// program holds without sharing, or has locked a range of, is retried for about two seconds
// before it counts as unreadable.
FileRead ReadWholeFile(std::u16string_view path);

// Writes `bytes` to a temporary file beside `path` and then replaces `path` with it in one step,
// so that a crash or a full disk leaves either the old file or the new one, never a mixture.
// An existing file keeps its attributes, permissions and creation time; a read-only file is
// not replaced. Each save uses a temporary name of its own. Once the new bytes stand at `path`,
// the temporaries that interrupted saves of the same file left behind are removed; a save that
// failed after the old file had already left its name keeps its temporary, for the next start
// to recover.
bool WriteFileReplacing(std::u16string_view path, std::string_view bytes);

// The same for bytes produced in pieces: `source` calls `write` for each piece and returns
// false (as soon as `write` does) when the writing failed.
using ByteSink = std::function<bool(std::string_view)>;
using ByteSource = std::function<bool(const ByteSink& write)>;
bool WriteFileReplacing(std::u16string_view path, const ByteSource& source);

// When nothing stands at `path` but interrupted saves left temporaries of it, moves the newest
// one that holds any bytes into place and answers true: a save cut short between writing and
// replacing (a power cut, a replace that failed half-way) leaves the user's settings only there.
bool RecoverInterruptedSave(std::u16string_view path);

// Removes the temporaries that interrupted saves of `path` left behind. Only for a caller that
// knows the file at `path` holds the settings (this run read or wrote it): until then a
// temporary may be the only copy.
void RemoveLeftoverTemporaries(std::u16string_view path);

// A temporary found beside the file: its name, when it was last written (any monotonic unit) and
// its size. The one to recover is the newest that is not empty; null when none is.
struct LeftoverTemporary {
    std::u16string name;
    std::int64_t modified = 0;
    std::uint64_t size = 0;
};
const LeftoverTemporary* NewestRecoverable(const std::vector<LeftoverTemporary>& candidates);

// Whether anything exists at `path`.
bool FileExists(std::u16string_view path);

// Creates the folder and every missing parent. False when it cannot.
bool CreateFolders(std::u16string_view folder);

// The temporary file names of saves of `fileName` (a name without folder): "<name>.<n>.tmp".
std::u16string TemporaryNameFor(std::u16string_view fileName, std::uint64_t unique);
bool IsTemporaryNameFor(std::u16string_view candidate, std::u16string_view fileName);

}  // namespace kestrival
