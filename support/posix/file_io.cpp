#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

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

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    bool Close() {
        const bool ok = ::close(fd_) == 0;
        fd_ = -1;
        return ok;
    }

private:
    int fd_;
};

std::vector<LeftoverTemporary> FindTemporaries(const std::filesystem::path& target) {
    const std::u16string fileName = FromUtf8(target.filename().string());
    std::vector<LeftoverTemporary> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(target.parent_path(), error)) {
        const std::u16string name = FromUtf8(entry.path().filename().string());
        struct stat info {};
        if (!IsTemporaryNameFor(name, fileName) || ::lstat(entry.path().c_str(), &info) != 0 ||
            !S_ISREG(info.st_mode)) {
            continue;
        }
        const std::int64_t modified = std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec;
        found.push_back({name, modified, static_cast<std::uint64_t>(info.st_size)});
    }
    return found;
}

}  // namespace

FileRead ReadWholeFile(std::u16string_view path) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {errno == ENOENT || errno == ENOTDIR ? ReadStatus::kMissing : ReadStatus::kUnreadable, {}};
    Descriptor file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > kMaxReadableFileBytes) {
        return {ReadStatus::kUnreadable, {}};
    }
    FileRead result{ReadStatus::kRead, {}};
    result.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return {ReadStatus::kUnreadable, {}};
        }
        if (n == 0) break;
        if (result.bytes.size() + static_cast<std::size_t>(n) > kMaxReadableFileBytes) {
            return {ReadStatus::kUnreadable, {}};  // grew while being read
        }
        result.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return result;
}

bool WriteFileReplacing(std::u16string_view path, const ByteSource& source) {
    static std::uint64_t saves = 0;
    const std::filesystem::path target(NativePath(path));
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    // A file without any write permission bit was made read-only on purpose (root ignores the bits).
    if (exists && S_ISREG(existing.st_mode) && (existing.st_mode & 0222) == 0) return false;

    const std::uint64_t unique = (static_cast<std::uint64_t>(::getpid()) << 24) + ++saves;
    const std::filesystem::path temporary =
        target.parent_path() / ToUtf8(TemporaryNameFor(FromUtf8(target.filename().string()), unique));
    const mode_t mode = exists && S_ISREG(existing.st_mode) ? (existing.st_mode & 07777) : 0644;
    Descriptor file(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode));
    if (file.get() < 0) return false;
    const bool written =
        source([&file](std::string_view bytes) { return WriteAll(file.get(), bytes); }) && ::fsync(file.get()) == 0;
    const bool closed = file.Close();
    if (!written || !closed || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    RemoveLeftoverTemporaries(path);
    return true;
}

bool RecoverInterruptedSave(std::u16string_view path) {
    const std::filesystem::path target(NativePath(path));
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 || errno != ENOENT) return false;
    const std::vector<LeftoverTemporary> found = FindTemporaries(target);
    const LeftoverTemporary* newest = NewestRecoverable(found);
    if (!newest) return false;
    const std::filesystem::path temporary = target.parent_path() / ToUtf8(newest->name);
    // A hard link never replaces a file that appeared meanwhile; where the file system has
    // none, the rename is the same step an ordinary save takes.
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return true;
    }
    return errno != EEXIST && ::rename(temporary.c_str(), target.c_str()) == 0;
}

void RemoveLeftoverTemporaries(std::u16string_view path) {
    const std::filesystem::path target(NativePath(path));
    for (const auto& leftover : FindTemporaries(target)) {
        ::unlink((target.parent_path() / ToUtf8(leftover.name)).c_str());
    }
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
