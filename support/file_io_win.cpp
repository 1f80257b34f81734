#include <windows.h>

#include <string>

#include "support/file_io.h"

namespace kestrival {
namespace {

std::wstring WidePath(std::u16string_view path) { return std::wstring(path.begin(), path.end()); }

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

bool WriteAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(bytes.size() > (1u << 30) ? (1u << 30) : bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
        bytes.remove_prefix(written);
    }
    return true;
}

}  // namespace

std::optional<std::string> ReadWholeFile(std::u16string_view path) {
    // Other readers may share the file; a writer holding it open makes the read fail.
    FileHandle file(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        if (read == 0) break;
        bytes.append(buffer, read);
    }
    return bytes;
}

bool WriteFileReplacing(std::u16string_view path, std::string_view bytes) {
    const std::wstring target = WidePath(path);
    const std::wstring temporary = target + L".tmp";
    FileHandle file(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    const bool written = WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    const bool closed = file.Close();
    if (!written || !closed ||
        !::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
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
