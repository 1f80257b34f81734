#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>

#include "support/file_io.h"
#include "support/text.h"

namespace kestrival {
namespace {

std::string NativePath(std::u16string_view path) {
    std::string out = ToUtf8(path);
    for (char& c : out) {
        if (c == '\\') c = '/';
    }
    return out;
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

std::optional<std::string> ReadWholeFile(std::u16string_view path) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return bytes;
}

bool WriteFileReplacing(std::u16string_view path, std::string_view bytes) {
    const std::string target = NativePath(path);
    const std::string temporary = target + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const bool written = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

bool FileExists(std::u16string_view path) {
    struct stat info {};
    return ::stat(NativePath(path).c_str(), &info) == 0;
}

bool CreateFolders(std::u16string_view folder) {
    std::error_code error;
    std::filesystem::create_directories(NativePath(folder), error);
    return !error;
}

}  // namespace kestrival
