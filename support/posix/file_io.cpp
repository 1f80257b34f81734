#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "support/file_io.h"
#include "support/posix/file_behind_links.h"
#include "support/posix/native_path.h"
#include "support/text.h"

namespace kestrival {
namespace {

// Names on Linux file systems are bytes compared exactly.
constexpr NameCase kNameCase = NameCase::kExact;
// As many links as the kernel follows before it reports a loop.
constexpr int kMaxLinkHops = 40;

std::u16string NameOf(const std::filesystem::path& path) { return FromPathBytes(path.filename().string()); }

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

FileState StateFrom(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec};
}

std::optional<std::filesystem::path> SaveTarget(std::u16string_view path) {
    std::optional<std::string> file = FileBehindLinks(NativePath(path));
    if (!file) return std::nullopt;
    return std::filesystem::path(std::move(*file));
}

// A rename or a new link lives in the folder's own entries: without this a power cut soon after
// could bring back the old name.
void SyncFolderOf(const std::filesystem::path& file) {
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    Descriptor handle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.get() >= 0) ::fsync(handle.get());
}

// The new file takes the old one's owner, group and mode. Only the owner (or root) may give a
// file away, and a group only to one of its own groups: where the system refuses, the save goes
// on with this process's owner, as any editor's save would. The owner goes first, as a change
// of owner clears the set-user-id bits that the mode then puts back.
void KeepOwnerAndMode(int fd, const struct stat& existing) {
    struct stat now {};
    if (::fstat(fd, &now) == 0 && (now.st_uid != existing.st_uid || now.st_gid != existing.st_gid)) {
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            [[maybe_unused]] const int groupOnly = ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
        }
    }
    [[maybe_unused]] const int mode = ::fchmod(fd, existing.st_mode & 07777);
}

// A file an interrupted save of this process's user left: a plain file of this user's with no
// other name. In a folder others may write to (a shared one with the sticky bit), another user
// may leave a file under a save's name; it is never put in place as the settings, nor removed,
// and a second name of some other file is never taken over.
bool IsOwnSaveFile(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1;
}

std::vector<LeftoverTemporary> FindTemporaries(const std::filesystem::path& target) {
    const std::u16string fileName = NameOf(target);
    std::vector<LeftoverTemporary> found;
    std::error_code error;
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::u16string name = NameOf(entry.path());
        struct stat info {};
        if (!IsTemporaryNameFor(name, fileName, kNameCase) || ::lstat(entry.path().c_str(), &info) != 0 ||
            !IsOwnSaveFile(info)) {
            continue;
        }
        found.push_back({name, StateFrom(info).modified, static_cast<std::uint64_t>(info.st_size)});
    }
    return found;
}

}  // namespace

// Replacing the link itself would cut it off from the file it shares.
std::optional<std::string> FileBehindLinks(std::string path) {
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT ? std::optional(path) : std::nullopt;
        if (!S_ISLNK(info.st_mode)) return path;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4095) + 1, '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return std::nullopt;
        target.resize(static_cast<std::size_t>(length));
        if (target.front() != '/') {
            const std::size_t slash = path.find_last_of('/');
            if (slash != std::string::npos) target.insert(0, path, 0, slash + 1);
        }
        path = std::move(target);
    }
    return std::nullopt;
}

FileRead ReadWholeFile(std::u16string_view path) {
    const int fd = ::open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {errno == ENOENT || errno == ENOTDIR ? ReadStatus::kMissing : ReadStatus::kUnreadable, {}, {}};
    Descriptor file(fd);
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > kMaxReadableFileBytes) {
        return {ReadStatus::kUnreadable, {}, {}};
    }
    // The state before the bytes: a write that comes while they are read changes it, so the
    // file is not taken for the one that was read.
    FileRead result{ReadStatus::kRead, {}, StateFrom(info)};
    result.bytes.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return {ReadStatus::kUnreadable, {}, {}};
        }
        if (n == 0) break;
        if (result.bytes.size() + static_cast<std::size_t>(n) > kMaxReadableFileBytes) {
            return {ReadStatus::kUnreadable, {}, {}};  // grew while being read
        }
        result.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return result;
}

std::optional<FileState> StateOf(std::u16string_view path) {
    struct stat info {};
    if (::stat(NativePath(path).c_str(), &info) != 0) return std::nullopt;
    return StateFrom(info);
}

bool WriteFileReplacing(std::u16string_view path, const ByteSource& source, FileState* written) {
    static std::uint64_t saves = 0;
    const std::optional<std::filesystem::path> resolved = SaveTarget(path);
    if (!resolved) return false;
    const std::filesystem::path& target = *resolved;
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) return false;
    // A file without any write permission bit was made read-only on purpose (root ignores the bits).
    if (exists && (existing.st_mode & 0222) == 0) return false;

    // The bytes go to a name no recovery takes; a rename puts them in place in one step once
    // they are all on the disk, so an interrupted save leaves the old file whole.
    const std::uint64_t unique = (static_cast<std::uint64_t>(::getpid()) << 24) + ++saves;
    const std::filesystem::path partial = target.parent_path() / ToUtf8(PartialNameFor(NameOf(target), unique));
    Descriptor file(
        ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, exists ? 0600 : 0644));
    if (file.get() < 0) return false;
    if (exists) KeepOwnerAndMode(file.get(), existing);
    struct stat done {};
    const bool complete = source([&file](std::string_view bytes) { return WriteAll(file.get(), bytes); }) &&
                          ::fsync(file.get()) == 0 && ::fstat(file.get(), &done) == 0;
    const bool closed = file.Close();
    if (!complete || !closed || ::rename(partial.c_str(), target.c_str()) != 0) {
        ::unlink(partial.c_str());
        return false;
    }
    SyncFolderOf(target);
    if (written) *written = StateFrom(done);
    RemoveLeftoverTemporaries(path);
    return true;
}

bool RecoverInterruptedSave(std::u16string_view path) {
    const std::optional<std::filesystem::path> resolved = SaveTarget(path);
    if (!resolved) return false;
    const std::filesystem::path& target = *resolved;
    struct stat info {};
    if (::lstat(target.c_str(), &info) == 0 || errno != ENOENT) return false;
    const std::vector<LeftoverTemporary> found = FindTemporaries(target);
    const LeftoverTemporary* newest = NewestRecoverable(found);
    if (!newest) return false;
    const std::filesystem::path temporary = target.parent_path() / ToUtf8(newest->name);
    // A hard link never replaces a file that appeared meanwhile; where the file system has
    // none, the rename is the same step an ordinary save takes.
    bool recovered = false;
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        recovered = true;
    } else {
        recovered = errno != EEXIST && ::rename(temporary.c_str(), target.c_str()) == 0;
    }
    if (recovered) SyncFolderOf(target);
    return recovered;
}

void RemoveLeftoverTemporaries(std::u16string_view path) {
    const std::optional<std::filesystem::path> resolved = SaveTarget(path);
    if (!resolved) return;
    const std::filesystem::path& target = *resolved;
    const std::u16string fileName = NameOf(target);
    for (const auto& leftover : FindTemporaries(target)) {
        ::unlink((target.parent_path() / ToUtf8(leftover.name)).c_str());
    }
    std::error_code error;
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        struct stat info {};
        if (IsPartialNameFor(NameOf(entry.path()), fileName, kNameCase) && ::lstat(entry.path().c_str(), &info) == 0 &&
            IsOwnSaveFile(info)) {
            ::unlink(entry.path().c_str());
        }
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
