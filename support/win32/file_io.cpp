#include "support/file_io.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "support/win32/handles.h"
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

std::vector<LeftoverTemporary> FindTemporaries(const std::wstring& target) {
    const std::u16string name = FromWide(NameOf(target));
    std::vector<LeftoverTemporary> found;
    WIN32_FIND_DATAW entry{};
    FindHandle search(::FindFirstFileW((target + L".*.tmp").c_str(), &entry));
    if (search.get() == INVALID_HANDLE_VALUE) return found;
    do {
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        if (!IsTemporaryNameFor(FromWide(entry.cFileName), name, kNameCase)) continue;
        const auto modified = static_cast<std::int64_t>((std::uint64_t{entry.ftLastWriteTime.dwHighDateTime} << 32) |
                                                        entry.ftLastWriteTime.dwLowDateTime);
        const std::uint64_t size = (std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow;
        found.push_back({FromWide(entry.cFileName), modified, size});
    } while (::FindNextFileW(search.get(), &entry));
    return found;
}

ReplaceFileFunction replaceFile = ::ReplaceFileW;

// Puts the whole temporary at the target's name. True once the new bytes stand there. The
// temporary is deleted only where the old file is known to be still in place; otherwise it may be
// the only copy of the settings, and the next start recovers it.
bool MoveIntoPlace(const std::wstring& target, const std::wstring& temporary, bool exists, const BusyWait& wait) {
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
                ::DeleteFileW(temporary.c_str());
                return false;
        }
    }
    if (Move(temporary, target, MOVEFILE_WRITE_THROUGH, wait)) return true;
    ::DeleteFileW(temporary.c_str());
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

}  // namespace

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
    static std::uint64_t saves = 0;
    const std::wstring target = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;

    // The bytes go to a name no recovery takes and get the temporary name only once they are all
    // on the disk: a temporary is always whole, whatever cut a save short.
    const std::uint64_t unique = (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 24) + ++saves;
    const std::u16string name = FromWide(NameOf(target));
    const std::wstring partial = FolderOf(target) + Wide(PartialNameFor(name, unique));
    const std::wstring temporary = FolderOf(target) + Wide(TemporaryNameFor(name, unique));
    UniqueHandle file(
        ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool complete = source([&file](std::string_view bytes) { return WriteAll(file.get(), bytes); }) &&
                          ::FlushFileBuffers(file.get());
    const bool closed = file.Close();
    // A scanner may open the new file the moment it is closed: the wait covers the rename too.
    const BusyWait wait;
    if (!complete || !closed || !Move(partial, temporary, MOVEFILE_WRITE_THROUGH, wait)) {
        ::DeleteFileW(partial.c_str());
        return false;
    }
    if (!MoveIntoPlace(target, temporary, exists, wait)) return false;
    if (written) *written = StateOfFile(target).value_or(FileState{});
    RemoveLeftoverTemporaries(path);
    return true;
}

bool RecoverInterruptedSave(std::u16string_view path) {
    const std::wstring target = Wide(path);
    if (::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES || ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return false;
    }
    const std::vector<LeftoverTemporary> found = FindTemporaries(target);
    const LeftoverTemporary* newest = NewestRecoverable(found);
    // Without MOVEFILE_REPLACE_EXISTING the move never puts the temporary over a file that
    // appeared meanwhile.
    return newest &&
           ::MoveFileExW((FolderOf(target) + Wide(newest->name)).c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveLeftoverTemporaries(std::u16string_view path) {
    const std::wstring target = Wide(path);
    for (const auto& leftover : FindTemporaries(target))
        ::DeleteFileW((FolderOf(target) + Wide(leftover.name)).c_str());
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
