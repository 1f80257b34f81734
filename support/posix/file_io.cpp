#include <fcntl.h>
#include <stdio.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
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

std::u16string NameOf(const std::filesystem::path& path) { return FromPathBytes(path.filename().string()); }

std::filesystem::path FolderOf(const std::filesystem::path& file) {
    return file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
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
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
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

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

std::optional<std::filesystem::path> SaveTarget(std::u16string_view path) {
    std::optional<std::string> file = FileBehindLinks(NativePath(path));
    if (!file) return std::nullopt;
    return std::filesystem::path(std::move(*file));
}

// Opens a file at the end of its links, never waiting for a writer of a pipe or a device and never
// following a link that turned up since the path was walked.
int OpenWithoutWaiting(const std::filesystem::path& file, int access) {
    return ::open(file.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

// Reads the whole of an open file that must be a regular one; the state is taken before the bytes,
// so that a write that comes while they are read changes it and the file is not taken for the one
// that was read.
FileRead ReadOpenFile(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
        static_cast<std::uint64_t>(info.st_size) > kMaxReadableFileBytes) {
        return {ReadStatus::kUnreadable, {}, {}};
    }
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

FileRead ReadFileAt(const std::filesystem::path& file) {
    const int fd = OpenWithoutWaiting(file, O_RDONLY);
    if (fd < 0) return {errno == ENOENT || errno == ENOTDIR ? ReadStatus::kMissing : ReadStatus::kUnreadable, {}, {}};
    Descriptor open(fd);
    return ReadOpenFile(fd);
}

// A rename or a new link lives in the folder's own entries: without this a power cut soon after
// could bring back the old name.
void SyncFolderOf(const std::filesystem::path& file) {
    Descriptor handle(::open(FolderOf(file).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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

// A file of a save in progress, made under a name nobody could have taken before: the name is
// drawn at random, and another is drawn when it is taken (by a file someone made in a shared folder
// to stop the saves, or by chance).
struct SaveFile {
    Descriptor file;
    std::filesystem::path path;
};

std::optional<SaveFile> CreatePartial(const std::filesystem::path& target, mode_t mode) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::filesystem::path partial = FolderOf(target) / ToUtf8(PartialNameFor(NameOf(target), UnguessableNumber()));
        const int fd = ::open(partial.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return SaveFile{Descriptor(fd), std::move(partial)};
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

// Gives the whole partial file a temporary name, never over a file that has that name already.
std::optional<std::filesystem::path> NameWholeTemporary(const std::filesystem::path& target,
                                                        const std::filesystem::path& partial) {
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::filesystem::path temporary =
            FolderOf(target) / ToUtf8(TemporaryNameFor(NameOf(target), UnguessableNumber()));
        if (::renameat2(AT_FDCWD, partial.c_str(), AT_FDCWD, temporary.c_str(), RENAME_NOREPLACE) == 0) {
            return temporary;
        }
        if (errno == EEXIST) continue;
        // A file system that cannot refuse to replace: a name drawn at random is not taken.
        if ((errno == EINVAL || errno == ENOSYS) && ::rename(partial.c_str(), temporary.c_str()) == 0) return temporary;
        return std::nullopt;
    }
    return std::nullopt;
}

// Copies the whole of `from` over the file `to` is open on, from its first byte, and flushes it.
bool CopyOver(int from, int to) {
    if (::ftruncate(to, 0) != 0) return false;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t n = ::pread(from, buffer, sizeof buffer, offset);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        if (!WriteAll(to, std::string_view(buffer, static_cast<std::size_t>(n)))) return false;
        offset += n;
    }
    return ::fsync(to) == 0;
}

enum class Rewrite {
    kDone,
    kNotStarted,  // the file is not the one looked at before, or cannot be written: it is as it was
    kCutShort,    // the file may hold part of the text: only the temporary holds it whole
};

// Rewrites the file with more than one name in place from a whole, flushed temporary, so that each
// of its names reads the new text; it then bears `modified` when that is given.
Rewrite RewriteInPlace(const std::filesystem::path& target, const struct stat& existing, int temporary,
                       const std::optional<std::int64_t>& modified, struct stat& done) {
    Descriptor file(OpenWithoutWaiting(target, O_WRONLY));
    struct stat opened {};
    if (file.get() < 0 || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        !SameFile(opened, existing)) {
        return Rewrite::kNotStarted;
    }
    if (!CopyOver(temporary, file.get())) return Rewrite::kCutShort;
    if (modified) {
        const struct timespec times[2] = {{0, UTIME_OMIT},
                                          {static_cast<time_t>(*modified / 1000000000), *modified % 1000000000}};
        [[maybe_unused]] const int kept = ::futimens(file.get(), times);
    }
    return ::fstat(file.get(), &done) == 0 && file.Close() ? Rewrite::kDone : Rewrite::kCutShort;
}

// Whether a rewrite in place may follow the file's other names: nobody but this user (or root) can
// make names in the settings name's folder, or the kernel keeps users from linking to a file they
// may not write anyway (fs.protected_hardlinks, on by default). Otherwise another user could have
// given a private file of this user's the settings name in a shared folder, and the rewrite would
// go into it; the save then replaces the name on its own, as for a file with one name.
bool MayRewriteEveryName(const std::filesystem::path& target) {
    struct stat folder {};
    if (::stat(FolderOf(target).c_str(), &folder) != 0) return false;
    const bool ownedByUs = folder.st_uid == ::geteuid() || folder.st_uid == 0;
    if (ownedByUs && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0) return true;
    Descriptor setting(::open("/proc/sys/fs/protected_hardlinks", O_RDONLY | O_CLOEXEC));
    char value = 0;
    return setting.get() >= 0 && ::read(setting.get(), &value, 1) == 1 && value == '1';
}

// The save of a file with more than one name: the new text whole in a flushed temporary first,
// which the next start takes if the rewrite in place is cut short.
bool SaveKeepingNames(const std::filesystem::path& target, const struct stat& existing, const ByteSource& source,
                      FileState* written) {
    std::optional<SaveFile> partial = CreatePartial(target, 0600);
    if (!partial) return false;
    const bool complete = source([&partial](std::string_view bytes) { return WriteAll(partial->file.get(), bytes); }) &&
                          ::fsync(partial->file.get()) == 0;
    const std::optional<std::filesystem::path> temporary =
        complete ? NameWholeTemporary(target, partial->path) : std::nullopt;
    if (!temporary) {
        ::unlink(partial->path.c_str());
        return false;
    }
    SyncFolderOf(target);
    struct stat done {};
    const Rewrite rewrite = RewriteInPlace(target, existing, partial->file.get(), std::nullopt, done);
    if (rewrite == Rewrite::kCutShort) return false;  // the temporary stays for the next start
    ::unlink(temporary->c_str());
    SyncFolderOf(target);
    if (rewrite != Rewrite::kDone) return false;
    if (written) *written = StateFrom(done);
    return true;
}

// The save of a file with one name, or of a new file: a rename puts the new bytes in place in one
// step once they are all on the disk, so an interrupted save leaves the old file whole.
bool SaveByRename(const std::filesystem::path& target, const std::optional<struct stat>& existing,
                  const ByteSource& source, FileState* written) {
    std::optional<SaveFile> partial = CreatePartial(target, existing ? 0600 : 0644);
    if (!partial) return false;
    if (existing) KeepOwnerAndMode(partial->file.get(), *existing);
    struct stat done {};
    const bool complete = source([&partial](std::string_view bytes) { return WriteAll(partial->file.get(), bytes); }) &&
                          ::fsync(partial->file.get()) == 0 && ::fstat(partial->file.get(), &done) == 0;
    const bool closed = partial->file.Close();
    if (!complete || !closed || ::rename(partial->path.c_str(), target.c_str()) != 0) {
        ::unlink(partial->path.c_str());
        return false;
    }
    SyncFolderOf(target);
    if (written) *written = StateFrom(done);
    return true;
}

struct FoundTemporary {
    LeftoverTemporary leftover;
    std::filesystem::path path;
};

// This user's temporaries of `target`, each read to tell whether it is whole (when `isWhole` is
// given).
std::vector<FoundTemporary> FindTemporaries(const std::filesystem::path& target, const WholeCheck* isWhole) {
    const std::u16string fileName = NameOf(target);
    std::vector<FoundTemporary> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(FolderOf(target), error)) {
        const std::u16string name = NameOf(entry.path());
        struct stat info {};
        if (!IsTemporaryNameFor(name, fileName, kNameCase) || ::lstat(entry.path().c_str(), &info) != 0 ||
            !IsOwnSaveFile(info)) {
            continue;
        }
        bool whole = false;
        if (isWhole) {
            const FileRead read = ReadFileAt(entry.path());
            whole = read.status == ReadStatus::kRead && (*isWhole)(read.bytes);
        }
        found.push_back(
            {{name, StateFrom(info).modified, static_cast<std::uint64_t>(info.st_size), whole}, entry.path()});
    }
    return found;
}

// Puts a whole temporary of ours over the file in place, keeping the file's names, owner and mode;
// the file then bears the temporary's modification time.
bool PutOverFile(const std::filesystem::path& target, const struct stat& existing,
                 const std::filesystem::path& temporary, std::int64_t modified) {
    Descriptor source(OpenWithoutWaiting(temporary, O_RDONLY));
    struct stat info {};
    if (source.get() < 0 || ::fstat(source.get(), &info) != 0 || !IsOwnSaveFile(info)) return false;
    if (existing.st_nlink > 1 && MayRewriteEveryName(target)) {
        struct stat done {};
        if (RewriteInPlace(target, existing, source.get(), modified, done) != Rewrite::kDone) return false;
        ::unlink(temporary.c_str());
    } else {
        KeepOwnerAndMode(source.get(), existing);
        if (::rename(temporary.c_str(), target.c_str()) != 0) return false;
    }
    SyncFolderOf(target);
    return true;
}

// Puts a whole temporary where nothing stands. A hard link never replaces a file that appeared
// meanwhile; where the file system has none, the rename is the same step an ordinary save takes.
bool PutWhereNothingIs(const std::filesystem::path& target, const std::filesystem::path& temporary) {
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

}  // namespace

std::uint64_t UnguessableNumber() {
    std::uint64_t number = 0;
    if (::getrandom(&number, sizeof number, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof number)) return number;
    // Without the kernel's randomness: the clock's nanoseconds, the process and the stack's place.
    const auto now = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    return static_cast<std::uint64_t>(now) * 0x9E3779B97F4A7C15ull ^ (static_cast<std::uint64_t>(::getpid()) << 32) ^
           reinterpret_cast<std::uintptr_t>(&number);
}

FileRead ReadWholeFile(std::u16string_view path) {
    const std::optional<std::filesystem::path> file = SaveTarget(path);
    if (!file) return {ReadStatus::kUnreadable, {}, {}};
    return ReadFileAt(*file);
}

std::optional<FileState> StateOf(std::u16string_view path) {
    struct stat info {};
    if (::stat(NativePath(path).c_str(), &info) != 0) return std::nullopt;
    return StateFrom(info);
}

bool WriteFileReplacing(std::u16string_view path, const ByteSource& source, FileState* written) {
    const std::optional<std::filesystem::path> resolved = SaveTarget(path);
    if (!resolved) return false;
    const std::filesystem::path& target = *resolved;
    struct stat existing {};
    if (::lstat(target.c_str(), &existing) != 0) {
        return errno == ENOENT && SaveByRename(target, std::nullopt, source, written);
    }
    // A link that turned up since the path was walked, a folder, a pipe: not a file to replace.
    if (!S_ISREG(existing.st_mode)) return false;
    // A file without any write permission bit was made read-only on purpose (root ignores the bits).
    if ((existing.st_mode & 0222) == 0) return false;
    if (existing.st_nlink > 1 && MayRewriteEveryName(target))
        return SaveKeepingNames(target, existing, source, written);
    return SaveByRename(target, existing, source, written);
}

bool RecoverInterruptedSave(std::u16string_view path, const WholeCheck& isWhole) {
    const std::optional<std::filesystem::path> resolved = SaveTarget(path);
    if (!resolved) return false;
    const std::filesystem::path& target = *resolved;
    const std::vector<FoundTemporary> found = FindTemporaries(target, &isWhole);
    std::vector<LeftoverTemporary> leftovers;
    for (const auto& temporary : found) leftovers.push_back(temporary.leftover);
    const LeftoverTemporary* newest = NewestRecoverable(leftovers);
    if (!newest) return false;
    const FoundTemporary& chosen = found[static_cast<std::size_t>(newest - leftovers.data())];

    struct stat existing {};
    if (::lstat(target.c_str(), &existing) != 0) {
        return errno == ENOENT && PutWhereNothingIs(target, chosen.path);
    }
    if (!S_ISREG(existing.st_mode)) return false;
    const FileRead file = ReadFileAt(target);
    const FileRead temporary = ReadFileAt(chosen.path);
    if (file.status != ReadStatus::kRead || temporary.status != ReadStatus::kRead ||
        !TemporaryIsNewer(file.bytes, file.state.modified, temporary.bytes, chosen.leftover.modified)) {
        return false;
    }
    return PutOverFile(target, existing, chosen.path, chosen.leftover.modified);
}

void RemoveLeftoverTemporaries(std::u16string_view path) {
    const std::optional<std::filesystem::path> resolved = SaveTarget(path);
    if (!resolved) return;
    const std::filesystem::path& target = *resolved;
    struct stat file {};
    if (::lstat(target.c_str(), &file) != 0 || !S_ISREG(file.st_mode)) return;
    const std::int64_t fileModified = StateFrom(file).modified;
    std::optional<FileRead> held;  // the file's bytes, read once a temporary needs them
    for (const auto& leftover : FindTemporaries(target, nullptr)) {
        if (!HoldsNothingNewer(leftover.leftover, fileModified)) {
            if (!held) held = ReadFileAt(target);
            const FileRead temporary = ReadFileAt(leftover.path);
            // A newer temporary goes only when the file holds the same settings.
            if (held->status != ReadStatus::kRead || temporary.status != ReadStatus::kRead ||
                temporary.bytes != held->bytes) {
                continue;
            }
        }
        ::unlink(leftover.path.c_str());
    }
    const std::u16string fileName = NameOf(target);
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(FolderOf(target), error)) {
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
    // Folders are made only where no link of another user leads.
    const std::optional<std::string> end = FileBehindLinks(NativePath(folder));
    if (!end) return false;
    std::error_code error;
    std::filesystem::create_directories(*end, error);
    return !error;
}

}  // namespace kestrival
