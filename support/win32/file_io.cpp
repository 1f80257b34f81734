#include "support/file_io.h"

#include <windows.h>

#include <string>

namespace kestrival {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
// How long a file that another program holds is waited for before it counts as unreadable.
constexpr DWORD kBusyRetryMs = 2000;
constexpr DWORD kBusyPauseMs = 50;

std::wstring WidePath(std::u16string_view path) { return std::wstring(path.begin(), path.end()); }
std::u16string Narrow16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

class FileHandle {
public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    ~FileHandle() {
        if (valid()) ::CloseHandle(handle_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    bool Close() {
        const bool ok = valid() && ::CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE handle_;
};

class FindHandle {
public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) ::FindClose(handle_);
    }
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

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
    FileHandle file(
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

void RemoveLeftoverTemporaries(const std::wstring& target) {
    const std::wstring folder = FolderOf(target);
    const std::u16string name = Narrow16(NameOf(target));
    WIN32_FIND_DATAW found{};
    FindHandle search(::FindFirstFileW((target + L".*.tmp").c_str(), &found));
    if (search.get() == INVALID_HANDLE_VALUE) return;
    do {
        if (IsTemporaryNameFor(Narrow16(found.cFileName), name)) ::DeleteFileW((folder + found.cFileName).c_str());
    } while (::FindNextFileW(search.get(), &found));
}

}  // namespace

FileRead ReadWholeFile(std::u16string_view path) {
    const std::wstring wide = WidePath(path);
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
    const std::wstring target = WidePath(path);
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) return false;

    RemoveLeftoverTemporaries(target);
    const std::uint64_t unique = (static_cast<std::uint64_t>(::GetCurrentProcessId()) << 24) + ++saves;
    const std::wstring temporary = FolderOf(target) + WidePath(TemporaryNameFor(Narrow16(NameOf(target)), unique));
    FileHandle file(
        ::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool written = source([&file](std::string_view bytes) { return WriteAll(file.get(), bytes); }) &&
                         ::FlushFileBuffers(file.get());
    const bool closed = file.Close();
    // Replacing keeps the existing file's attributes, security and creation time; a file that
    // is not there (any more) is simply moved into place.
    bool replaced = false;
    if (written && closed) {
        replaced = exists ? ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                           nullptr, nullptr) != 0
                          : false;
        if (!replaced && (!exists || ::GetLastError() == ERROR_FILE_NOT_FOUND)) {
            replaced = ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
        }
    }
    if (!replaced) ::DeleteFileW(temporary.c_str());
    return replaced;
}

bool FileExists(std::u16string_view path) {
    return ::GetFileAttributesW(WidePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateFolders(std::u16string_view folder) {
    std::wstring path = WidePath(folder);
    while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const std::size_t slash = path.find_last_of(L"\\/");
    if (slash != std::wstring::npos && slash > 0 && path[slash - 1] != L':') {
        CreateFolders(std::u16string_view(reinterpret_cast<const char16_t*>(path.c_str()), slash));
    }
    return ::CreateDirectoryW(path.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

}  // namespace kestrival
