#include "support/file_io.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "support/win32/handles.h"
#include "support/win32/library.h"
#include "support/win32/replace_file.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kBusyPauseMs = 50;
// Windows compares names ignoring letter case.
constexpr NameCase kNameCase = NameCase::kIgnoreCase;

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(bytes.size() > (1u << 30) ? (1u << 30) : bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

bool IsBusy(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// Why a replace or a move fails while a virus scanner, an indexer or a sync client holds a file
// for a moment: each leaves both files as they were, so the step can be tried again. A rename
// over a file that a scanner has open, or whose deletion is still pending, is denied access
// rather than refused for sharing; a lasting denial costs one wait and then fails the same way.
bool IsHeldForAMoment(DWORD error) {
    return IsBusy(error) || error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// The time a save may still wait for a held file, counted from its first attempt.
class BusyWait {
public:
    BusyWait() : started_(::GetTickCount()) {}
    // True after a pause when `error` may pass and time is left; false at once otherwise.
    bool PauseFor(DWORD error) const {
        if (!IsHeldForAMoment(error) || ::GetTickCount() - started_ >= kBusyWaitMs) return false;
        ::Sleep(kBusyPauseMs);
        return true;
    }

private:
    DWORD started_;
};

BOOL Move(const std::wstring& from, const std::wstring& to, DWORD flags, const BusyWait& wait) {
    for (;;) {
        if (::MoveFileExW(from.c_str(), to.c_str(), flags)) return TRUE;
        if (!wait.PauseFor(::GetLastError())) return FALSE;
    }
}

FileState StateFrom(const BY_HANDLE_FILE_INFORMATION& info) {
    return {info.dwVolumeSerialNumber, (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow,
            (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow,
            static_cast<std::int64_t>((std::uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                      info.ftLastWriteTime.dwLowDateTime)};
}

// One attempt; `busy` tells whether another program's hold was the reason it failed.
FileRead ReadOnce(const std::wstring& path, bool& busy) {
    busy = false;
    UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        busy = IsBusy(error);
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? ReadStatus::kMissing : ReadStatus::kUnreadable, {}, {}};
    }
    LARGE_INTEGER size{};
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > kMaxReadableFileBytes ||
        !::GetFileInformationByHandle(file.get(), &info)) {
        return {ReadStatus::kUnreadable, {}, {}};
    }
    // The state before the bytes: a write that comes while they are read changes it, so the
    // file is not taken for the one that was read.
    FileRead result{ReadStatus::kRead, {}, StateFrom(info)};
    result.bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            busy = IsBusy(::GetLastError());
            return {ReadStatus::kUnreadable, {}, {}};
        }
        if (read == 0) break;
        if (result.bytes.size() + read > kMaxReadableFileBytes) return {ReadStatus::kUnreadable, {}, {}};
        result.bytes.append(buffer, read);
    }
    return result;
}

std::wstring FolderOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

std::wstring NameOf(const std::wstring& path) {
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::int64_t TimeOf(const FILETIME& time) {
    return static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) | time.dwLowDateTime);
}

// The temporaries of `target`, each read to tell whether it is whole (when `isWhole` is given).
std::vector<LeftoverTemporary> FindTemporaries(const std::wstring& target, const WholeCheck* isWhole) {
    const std::u16string name = FromWide(NameOf(target));
    std::vector<LeftoverTemporary> found;
    WIN32_FIND_DATAW entry{};
    FindHandle search(::FindFirstFileW((target + L".*.tmp").c_str(), &entry));
    if (search.get() == INVALID_HANDLE_VALUE) return found;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        if (!IsTemporaryNameFor(FromWide(entry.cFileName), name, kNameCase)) continue;
        bool whole = false;
        if (isWhole) {
            bool busy = false;
            const FileRead read = ReadOnce(FolderOf(target) + entry.cFileName, busy);
            whole = read.status == ReadStatus::kRead && (*isWhole)(read.bytes);
        }
        const std::uint64_t size = (std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow;
        found.push_back({FromWide(entry.cFileName), TimeOf(entry.ftLastWriteTime), size, whole});
    } while (::FindNextFileW(search.get(), &entry));
    return found;
}

ReplaceFileFunction replaceFile = ::ReplaceFileW;

// What a failed move does with a temporary that is a copy of what the program holds: a save's
// goes, a recovered one stays (it may be the only copy of the settings).
enum class TemporaryOnFailure { kDelete, kKeep };

// Puts the whole temporary at the target's name. True once the new bytes stand there. The
// temporary is deleted only where the old file is known to be still in place; otherwise it may be
// the only copy of the settings, and the next start recovers it.
bool MoveIntoPlace(const std::wstring& target, const std::wstring& temporary, bool exists, const BusyWait& wait,
                   TemporaryOnFailure onFailure = TemporaryOnFailure::kDelete) {
    while (exists) {
        // Replacing keeps the existing file's attributes, security and creation time.
        if (replaceFile(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                        nullptr)) {
            return true;
        }
        const DWORD error = ::GetLastError();
        if (wait.PauseFor(error)) continue;
        switch (error) {
            case ERROR_UNABLE_TO_MOVE_REPLACEMENT:    // the old file is deleted
            case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:  // the old file is kept under another name
                return Move(temporary, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH, wait) != 0;
            case ERROR_FILE_NOT_FOUND:  // gone since it was looked at: nothing to replace
                exists = false;
                break;
            default:  // nothing was changed
                if (onFailure == TemporaryOnFailure::kDelete) ::DeleteFileW(temporary.c_str());
                return false;
        }
    }
    if (Move(temporary, target, MOVEFILE_WRITE_THROUGH, wait)) return true;
    if (onFailure == TemporaryOnFailure::kDelete) ::DeleteFileW(temporary.c_str());
    return false;
}

std::optional<FileState> StateOfFile(const std::wstring& path) {
    // No access right asked: another program's sharing mode cannot refuse the look.
    UniqueHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return StateFrom(info);
}

// A file of a save in progress, made under a name nobody could have taken before: the name is
// drawn at random, and another is drawn when it is taken.
struct SaveFile {
    UniqueHandle file;
    std::wstring path;
};

std::optional<SaveFile> CreatePartial(const std::wstring& target) {
    const std::u16string name = FromWide(NameOf(target));
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::wstring partial = FolderOf(target) + Wide(PartialNameFor(name, UnguessableNumber()));
        UniqueHandle file(
            ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.valid()) return SaveFile{std::move(file), std::move(partial)};
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

// Gives the whole partial file a temporary name, never over a file that has that name already.
std::optional<std::wstring> NameWholeTemporary(const std::wstring& target, const std::wstring& partial,
                                               const BusyWait& wait) {
    const std::u16string name = FromWide(NameOf(target));
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::wstring temporary = FolderOf(target) + Wide(TemporaryNameFor(name, UnguessableNumber()));
        if (Move(partial, temporary, MOVEFILE_WRITE_THROUGH, wait)) return temporary;
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return std::nullopt;
    }
    return std::nullopt;
}

struct FileIdentity {
    DWORD volume = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;
    DWORD links = 0;
};

std::optional<FileIdentity> IdentityOf(const std::wstring& path) {
    UniqueHandle file(::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!file.valid() || !::GetFileInformationByHandle(file.get(), &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow, info.nNumberOfLinks};
}

enum class Rewrite {
    kDone,
    kNotStarted,  // the file is not the one looked at before, or cannot be written: it is as it was
    kCutShort,    // the file may hold part of the text: only the temporary holds it whole
};

bool CopyOver(HANDLE from, HANDLE to) {
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(to, start, nullptr, FILE_BEGIN) || !::SetEndOfFile(to)) return false;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(from, buffer, sizeof buffer, &read, nullptr)) return false;
        if (read == 0) break;
        if (!WriteAll(to, std::string_view(buffer, read))) return false;
    }
    return ::FlushFileBuffers(to) != 0;
}

// Rewrites the file with more than one name in place from a whole, flushed temporary, so that each
// of its names reads the new text; it then bears `modified` when that is given.
Rewrite RewriteInPlace(const std::wstring& target, const FileIdentity& identity, const std::wstring& temporary,
                       const FILETIME* modified) {
    UniqueHandle source(::CreateFileW(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    UniqueHandle file(::CreateFileW(target.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION opened{};
    if (!source.valid() || !file.valid() || !::GetFileInformationByHandle(file.get(), &opened) ||
        opened.dwVolumeSerialNumber != identity.volume || opened.nFileIndexHigh != identity.indexHigh ||
        opened.nFileIndexLow != identity.indexLow) {
        return Rewrite::kNotStarted;
    }
    if (!CopyOver(source.get(), file.get())) return Rewrite::kCutShort;
    if (modified) ::SetFileTime(file.get(), nullptr, nullptr, modified);
    return file.Close() ? Rewrite::kDone : Rewrite::kCutShort;
}

}  // namespace

std::uint64_t UnguessableNumber() {
    // RtlGenRandom, the system's own randomness since Windows XP, exported under this name.
    using GenRandom = BOOLEAN(WINAPI*)(PVOID buffer, ULONG length);
    static const LoadedLibrary advapi(L"advapi32.dll");
    static const GenRandom genRandom = advapi.Function<GenRandom>("SystemFunction036");
    std::uint64_t number = 0;
    if (genRandom && genRandom(&number, sizeof number)) return number;
    LARGE_INTEGER counter{};
    ::QueryPerformanceCounter(&counter);
    return static_cast<std::uint64_t>(counter.QuadPart) * 0x9E3779B97F4A7C15ull ^
           (std::uint64_t{::GetCurrentProcessId()} << 32) ^ ::GetTickCount();
}

FileRead ReadWholeFile(std::u16string_view path) {
    const std::wstring wide = Wide(path);
    const DWORD started = ::GetTickCount();
    for (;;) {
        bool busy = false;
        FileRead result = ReadOnce(wide, busy);
        if (!busy || ::GetTickCount() - started >= kBusyWaitMs) return result;
        ::Sleep(kBusyPauseMs);
    }
}

std::optional<FileState> StateOf(std::u16string_view path) { return StateOfFile(Wide(path)); }

bool WriteFileReplacing(std::u16string_view path, const ByteSource& source, FileState* written) {
    const std::wstring target = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;

    // The bytes go to a name no recovery takes and get the temporary name only once they are all
    // on the disk: a temporary is always whole, whatever cut a save short.
    std::optional<SaveFile> partial = CreatePartial(target);
    if (!partial) return false;
    const bool complete = source([&partial](std::string_view bytes) { return WriteAll(partial->file.get(), bytes); }) &&
                          ::FlushFileBuffers(partial->file.get());
    const bool closed = partial->file.Close();
    // A scanner may open the new file the moment it is closed: the wait covers the rename too.
    const BusyWait wait;
    const std::optional<std::wstring> temporary =
        complete && closed ? NameWholeTemporary(target, partial->path, wait) : std::nullopt;
    if (!temporary) {
        ::DeleteFileW(partial->path.c_str());
        return false;
    }
    // A file with more than one name keeps them all: ReplaceFileW would leave the other names on
    // the old text.
    const std::optional<FileIdentity> identity = exists ? IdentityOf(target) : std::nullopt;
    if (identity && identity->links > 1) {
        const Rewrite rewrite = RewriteInPlace(target, *identity, *temporary, nullptr);
        if (rewrite == Rewrite::kCutShort) return false;  // the temporary stays for the next start
        ::DeleteFileW(temporary->c_str());
        if (rewrite != Rewrite::kDone) return false;
    } else if (!MoveIntoPlace(target, *temporary, exists, wait)) {
        return false;
    }
    if (written) *written = StateOfFile(target).value_or(FileState{});
    return true;
}

bool RecoverInterruptedSave(std::u16string_view path, const WholeCheck& isWhole) {
    const std::wstring target = Wide(path);
    const std::vector<LeftoverTemporary> found = FindTemporaries(target, &isWhole);
    const LeftoverTemporary* newest = NewestRecoverable(found);
    if (!newest) return false;
    const std::wstring temporary = FolderOf(target) + Wide(newest->name);
    if (::GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // Without MOVEFILE_REPLACE_EXISTING the move never puts the temporary over a file that
        // appeared meanwhile.
        return ::GetLastError() == ERROR_FILE_NOT_FOUND &&
               ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
    }
    const std::optional<FileIdentity> identity = IdentityOf(target);
    bool busy = false;
    const FileRead file = ReadOnce(target, busy);
    const FileRead saved = ReadOnce(temporary, busy);
    if (!identity || file.status != ReadStatus::kRead || saved.status != ReadStatus::kRead ||
        !TemporaryReplacesFile(file.bytes, file.state.modified, saved.bytes, newest->modified, isWhole)) {
        return false;
    }
    if (identity->links > 1) {
        FILETIME modified{static_cast<DWORD>(newest->modified & 0xFFFFFFFF),
                          static_cast<DWORD>(newest->modified >> 32)};
        if (RewriteInPlace(target, *identity, temporary, &modified) != Rewrite::kDone) return false;
        ::DeleteFileW(temporary.c_str());
        return true;
    }
    return MoveIntoPlace(target, temporary, true, BusyWait(), TemporaryOnFailure::kKeep);
}

void RemoveLeftoverTemporaries(std::u16string_view path, const WholeCheck& isWhole) {
    const std::wstring target = Wide(path);
    const std::optional<FileState> file = StateOfFile(target);
    if (!file) return;
    bool busy = false;
    const FileRead held = ReadOnce(target, busy);
    const bool fileWhole = held.status == ReadStatus::kRead && isWhole(held.bytes);
    for (const auto& leftover : FindTemporaries(target, &isWhole)) {
        const std::wstring temporary = FolderOf(target) + Wide(leftover.name);
        // While the file in place is not whole, a whole temporary may be the only copy of the settings.
        if (!fileWhole && leftover.whole) continue;
        // A temporary newer than the file goes only when the file holds the same settings.
        if (!HoldsNothingNewer(leftover, file->modified)) {
            const FileRead saved = ReadOnce(temporary, busy);
            if (held.status != ReadStatus::kRead || saved.status != ReadStatus::kRead || saved.bytes != held.bytes) {
                continue;
            }
        }
        ::DeleteFileW(temporary.c_str());
    }
    const std::u16string name = FromWide(NameOf(target));
    WIN32_FIND_DATAW entry{};
    FindHandle search(::FindFirstFileW((target + L".*.part").c_str(), &entry));
    if (search.get() == INVALID_HANDLE_VALUE) return;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
            IsPartialNameFor(FromWide(entry.cFileName), name, kNameCase)) {
            ::DeleteFileW((FolderOf(target) + entry.cFileName).c_str());
        }
    } while (::FindNextFileW(search.get(), &entry));
}

ReplaceFileFunction SetReplaceFileForTesting(ReplaceFileFunction replace) {
    const ReplaceFileFunction before = replaceFile;
    replaceFile = replace;
    return before;
}

bool FileExists(std::u16string_view path) {
    return ::GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateFolders(std::u16string_view folder) {
    std::wstring path = Wide(folder);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0 && path[slash - 1] != L':') {
        CreateFolders(FromWide(std::wstring_view(path).substr(0, slash)));
    }
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace kestrival
