#include "support/file_io.h"

#include <windows.h>

#include <string>
#include <vector>

#include "support/win32/handles.h"
#include "support/win32/replace_file.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// How long a file that another program holds is waited for before it counts as unreadable.
constexpr DWORD kBusyRetryMs = 2000;
constexpr DWORD kBusyPauseMs = 50;

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

// One attempt; `busy` tells whether another program's hold was the reason it failed.
FileRead ReadOnce(const std::wstring& path, bool& busy) {
    busy = false;
    UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        busy = IsBusy(error);
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? ReadStatus::kMissing : ReadStatus::kUnreadable, {}};
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || static_cast<std::uint64_t>(size.QuadPart) > kMaxReadableFileBytes) {
        return {ReadStatus::kUnreadable, {}};
    }
    FileRead result{ReadStatus::kRead, {}};
    result.bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) {
            busy = IsBusy(::GetLastError());
            return {ReadStatus::kUnreadable, {}};
        }
        if (read == 0) break;
        if (result.bytes.size() + read > kMaxReadableFileBytes) return {ReadStatus::kUnreadable, {}};
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
        if (!IsTemporaryNameFor(FromWide(entry.cFileName), name)) continue;
        const auto modified = static_cast<std::int64_t>((std::uint64_t{entry.ftLastWriteTime.dwHighDateTime} << 32) |
                                                        entry.ftLastWriteTime.dwLowDateTime);
        const std::uint64_t size = (std::uint64_t{entry.nFileSizeHigh} << 32) | entry.nFileSizeLow;
        found.push_back({FromWide(entry.cFileName), modified, size});
    } while (::FindNextFileW(search.get(), &entry));
    return found;
}

ReplaceFileFunction replaceFile = ::ReplaceFileW;

// Puts the written temporary at the target's name. True once the new bytes stand there. The
// temporary is deleted only where the old file is known to be still in place; otherwise it may be
// the only copy of the settings, and the next start recovers it.
bool MoveIntoPlace(const std::wstring& target, const std::wstring& temporary, bool exists) {
    if (exists) {
        // Replacing keeps the existing file's attributes, security and creation time.
        if (replaceFile(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                        nullptr)) {
            return true;
        }
        switch (::GetLastError()) {
            case ERROR_UNABLE_TO_MOVE_REPLACEMENT:    // the old file is deleted
            case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:  // the old file is kept under another name
                return ::MoveFileExW(temporary.c_str(), target.c_str(),
                                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            case ERROR_FILE_NOT_FOUND:  // gone since it was looked at: nothing to replace
                break;
            default:  // nothing was changed
                ::DeleteFileW(temporary.c_str());
                return false;
        }
    }
    if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) return true;
    ::DeleteFileW(temporary.c_str());
    return false;
}

}  // namespace

FileRead ReadWholeFile(std::u16string_view path) {
    const std::wstring wide = Wide(path);
    const DWORD started = ::GetTickCount();
    for (;;) {
        bool busy = false;
        FileRead result = ReadOnce(wide, busy);
        if (!busy || ::GetTickCount() - started >= kBusyRetryMs) return result;
        ::Sleep(kBusyPauseMs);
    }
}

bool WriteFileReplacing(std::u16string_view path, const ByteSource& source) {
    static std::uint64_t saves = 0;
    const std::wstring target = Wide(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;

    const std::uint64_t unique = (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 24) + ++saves;
    const std::wstring temporary = FolderOf(target) + Wide(TemporaryNameFor(FromWide(NameOf(target)), unique));
    UniqueHandle file(
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool written = source([&file](std::string_view bytes) { return WriteAll(file.get(), bytes); }) &&
                         ::FlushFileBuffers(file.get());
    const bool closed = file.Close();
    if (!written || !closed) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    if (!MoveIntoPlace(target, temporary, exists)) return false;
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
