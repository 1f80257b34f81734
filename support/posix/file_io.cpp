#include <dirent.h>
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
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
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

class FolderListing {
public:
    explicit FolderListing(DIR* listing) : listing_(listing) {}
    ~FolderListing() {
        if (listing_) ::closedir(listing_);
    }
    FolderListing(const FolderListing&) = delete;
    FolderListing& operator=(const FolderListing&) = delete;
    DIR* get() const { return listing_; }

private:
    DIR* listing_;
};

FileState StateFrom(const struct stat& info) {
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::uint64_t>(info.st_size),
            std::int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec};
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// The settings file's folder, opened once, and the file's name in it. Every step of a read, a
// save, a recovery or a clean-up is taken relative to this folder: walking the path again would
// let someone who can rename entries in a folder on the way (a folder a group shares) put a link
// there between two steps, and lead the steps that follow into a folder of this user's choosing
// of theirs.
struct SettingsPlace {
    Descriptor folder;  // opened for paths only: a name of it is looked up, nothing more
    std::string name;
};

// Opens one folder below `parent`, never through a link, so that what was checked is what is held.
int OpenFolderBelow(int parent, const std::string& name) {
    return ::openat(parent, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// Opens the folder of the file a save of `path` replaces: the path is first walked with the
// user's own links followed (FileBehindLinks), and the link-free path this gives is then walked
// again one folder at a time, each opened without following a link. A link that turned up on the
// way since (someone else's, swapped in for a folder) stops the walk. `error` tells why nothing
// was opened: ENOENT or ENOTDIR when a folder on the way is missing.
std::optional<SettingsPlace> OpenSettingsPlace(std::u16string_view path, int& error) {
    error = EACCES;
    const std::optional<std::string> file = FileBehindLinks(NativePath(path));
    if (!file || file->size() < 2 || file->front() != '/' || file->back() == '/') return std::nullopt;
    const std::size_t lastSlash = file->find_last_of('/');
    SettingsPlace place{Descriptor(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)), file->substr(lastSlash + 1)};
    if (place.folder.get() < 0 || place.name == "." || place.name == "..") return std::nullopt;
    for (std::size_t start = 1; start < lastSlash;) {
        const std::size_t slash = file->find('/', start);
        const std::string name = file->substr(start, slash - start);
        start = slash + 1;
        if (name.empty() || name == ".") continue;
        Descriptor next(OpenFolderBelow(place.folder.get(), name));
        if (next.get() < 0) {
            // A link standing where the checked path had a folder is not followed.
            error = errno == ELOOP ? EACCES : errno;
            return std::nullopt;
        }
        place.folder = std::move(next);
    }
    error = 0;
    return place;
}

std::optional<SettingsPlace> OpenSettingsPlace(std::u16string_view path) {
    int error = 0;
    return OpenSettingsPlace(path, error);
}

// Opens a file of the folder, never waiting for a writer of a pipe or a device and never following
// a link.
int OpenWithoutWaiting(int folder, const std::string& name, int access) {
    return ::openat(folder, name.c_str(), access | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
}

bool StateAt(int folder, const std::string& name, struct stat& info) {
    return ::fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
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

FileRead ReadFileAt(int folder, const std::string& name) {
    const int fd = OpenWithoutWaiting(folder, name, O_RDONLY);
    if (fd < 0) return {errno == ENOENT || errno == ENOTDIR ? ReadStatus::kMissing : ReadStatus::kUnreadable, {}, {}};
    Descriptor open(fd);
    return ReadOpenFile(fd);
}

// A rename or a new link lives in the folder's own entries: without this a power cut soon after
// could bring back the old name.
void SyncFolder(int folder) {
    Descriptor handle(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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
    std::string name;
};

std::optional<SaveFile> CreatePartial(const SettingsPlace& place, mode_t mode) {
    const std::u16string fileName = FromPathBytes(place.name);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string partial = ToUtf8(PartialNameFor(fileName, UnguessableNumber()));
        const int fd =
            ::openat(place.folder.get(), partial.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0) return SaveFile{Descriptor(fd), std::move(partial)};
        if (errno != EEXIST) return std::nullopt;
    }
    return std::nullopt;
}

// Gives the whole partial file a temporary name, never over a file that has that name already.
std::optional<std::string> NameWholeTemporary(const SettingsPlace& place, const std::string& partial) {
    const int folder = place.folder.get();
    const std::u16string fileName = FromPathBytes(place.name);
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        std::string temporary = ToUtf8(TemporaryNameFor(fileName, UnguessableNumber()));
        if (::renameat2(folder, partial.c_str(), folder, temporary.c_str(), RENAME_NOREPLACE) == 0) return temporary;
        if (errno == EEXIST) continue;
        // A file system that cannot refuse to replace: a name drawn at random is not taken.
        if ((errno == EINVAL || errno == ENOSYS) &&
            ::renameat(folder, partial.c_str(), folder, temporary.c_str()) == 0) {
            return temporary;
        }
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
Rewrite RewriteInPlace(const SettingsPlace& place, const struct stat& existing, int temporary,
                       const std::optional<std::int64_t>& modified, struct stat& done) {
    Descriptor file(OpenWithoutWaiting(place.folder.get(), place.name, O_WRONLY));
    struct stat opened {};
    if (file.get() < 0 || ::fstat(file.get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        !SameFile(opened, existing) || opened.st_uid != ::geteuid()) {
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

// Whether a rewrite in place may follow the file's other names. Only a file of this user's is
// rewritten: a file of someone else's that bears the settings name (made in a folder others may
// write to) could have a second name where its owner reads it, and the rewrite would hand them
// the settings. And nobody but this user (or root) can make names in the settings name's folder,
// or the kernel keeps users from linking to a file they may not write anyway
// (fs.protected_hardlinks, on by default): otherwise another user could have given a private file
// of this user's the settings name in a shared folder, and the rewrite would go into it. In every
// other case the save replaces the name on its own, as for a file with one name.
bool MayRewriteEveryName(const SettingsPlace& place, const struct stat& existing) {
    if (existing.st_nlink < 2 || existing.st_uid != ::geteuid()) return false;
    struct stat folder {};
    if (::fstat(place.folder.get(), &folder) != 0) return false;
    const bool ownedByUs = folder.st_uid == ::geteuid() || folder.st_uid == 0;
    if (ownedByUs && (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0) return true;
    Descriptor setting(::open("/proc/sys/fs/protected_hardlinks", O_RDONLY | O_CLOEXEC));
    char value = 0;
    return setting.get() >= 0 && ::read(setting.get(), &value, 1) == 1 && value == '1';
}

// The save of a file with more than one name: the new text whole in a flushed temporary first,
// which the next start takes if the rewrite in place is cut short.
bool SaveKeepingNames(const SettingsPlace& place, const struct stat& existing, const ByteSource& source,
                      FileState* written) {
    const int folder = place.folder.get();
    std::optional<SaveFile> partial = CreatePartial(place, 0600);
    if (!partial) return false;
    const bool complete = source([&partial](std::string_view bytes) { return WriteAll(partial->file.get(), bytes); }) &&
                          ::fsync(partial->file.get()) == 0;
    const std::optional<std::string> temporary = complete ? NameWholeTemporary(place, partial->name) : std::nullopt;
    if (!temporary) {
        ::unlinkat(folder, partial->name.c_str(), 0);
        return false;
    }
    SyncFolder(folder);
    struct stat done {};
    const Rewrite rewrite = RewriteInPlace(place, existing, partial->file.get(), std::nullopt, done);
    if (rewrite == Rewrite::kCutShort) return false;  // the temporary stays for the next start
    ::unlinkat(folder, temporary->c_str(), 0);
    SyncFolder(folder);
    if (rewrite != Rewrite::kDone) return false;
    if (written) *written = StateFrom(done);
    return true;
}

// The save of a file with one name, or of a new file: a rename puts the new bytes in place in one
// step once they are all on the disk, so an interrupted save leaves the old file whole.
bool SaveByRename(const SettingsPlace& place, const std::optional<struct stat>& existing, const ByteSource& source,
                  FileState* written) {
    const int folder = place.folder.get();
    std::optional<SaveFile> partial = CreatePartial(place, existing ? 0600 : 0644);
    if (!partial) return false;
    if (existing) KeepOwnerAndMode(partial->file.get(), *existing);
    struct stat done {};
    const bool complete = source([&partial](std::string_view bytes) { return WriteAll(partial->file.get(), bytes); }) &&
                          ::fsync(partial->file.get()) == 0 && ::fstat(partial->file.get(), &done) == 0;
    const bool closed = partial->file.Close();
    if (!complete || !closed || ::renameat(folder, partial->name.c_str(), folder, place.name.c_str()) != 0) {
        ::unlinkat(folder, partial->name.c_str(), 0);
        return false;
    }
    SyncFolder(folder);
    if (written) *written = StateFrom(done);
    return true;
}

// The names in the folder that are this user's save files of the settings file (by `isSaveName`),
// each with what fstatat found.
struct FoundSaveFile {
    std::string name;
    struct stat info;
};

template <typename IsSaveName>
std::vector<FoundSaveFile> FindSaveFiles(const SettingsPlace& place, const IsSaveName& isSaveName) {
    std::vector<FoundSaveFile> found;
    const int listed = ::openat(place.folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listed < 0) return found;
    FolderListing listing(::fdopendir(listed));
    if (!listing.get()) {
        ::close(listed);
        return found;
    }
    const std::u16string fileName = FromPathBytes(place.name);
    while (const dirent* entry = ::readdir(listing.get())) {
        const std::string name = entry->d_name;
        struct stat info {};
        if (isSaveName(FromPathBytes(name), fileName) && StateAt(place.folder.get(), name, info) &&
            IsOwnSaveFile(info)) {
            found.push_back({name, info});
        }
    }
    return found;
}

struct FoundTemporary {
    LeftoverTemporary leftover;
    std::string name;
};

// This user's temporaries of the settings file, each read to tell whether it is whole.
std::vector<FoundTemporary> FindTemporaries(const SettingsPlace& place, const WholeCheck& isWhole) {
    std::vector<FoundTemporary> found;
    const auto isTemporary = [](std::u16string_view name, std::u16string_view fileName) {
        return IsTemporaryNameFor(name, fileName, kNameCase);
    };
    for (const FoundSaveFile& file : FindSaveFiles(place, isTemporary)) {
        const FileRead read = ReadFileAt(place.folder.get(), file.name);
        const bool whole = read.status == ReadStatus::kRead && isWhole(read.bytes);
        found.push_back({{FromPathBytes(file.name), StateFrom(file.info).modified,
                          static_cast<std::uint64_t>(file.info.st_size), whole},
                         file.name});
    }
    return found;
}

// Puts a whole temporary of ours over the file in place, keeping the file's names, owner and mode;
// the file then bears the temporary's modification time.
bool PutOverFile(const SettingsPlace& place, const struct stat& existing, const std::string& temporary,
                 std::int64_t modified) {
    const int folder = place.folder.get();
    Descriptor source(OpenWithoutWaiting(folder, temporary, O_RDONLY));
    struct stat info {};
    if (source.get() < 0 || ::fstat(source.get(), &info) != 0 || !IsOwnSaveFile(info)) return false;
    if (MayRewriteEveryName(place, existing)) {
        struct stat done {};
        if (RewriteInPlace(place, existing, source.get(), modified, done) != Rewrite::kDone) return false;
        ::unlinkat(folder, temporary.c_str(), 0);
    } else {
        KeepOwnerAndMode(source.get(), existing);
        if (::renameat(folder, temporary.c_str(), folder, place.name.c_str()) != 0) return false;
    }
    SyncFolder(folder);
    return true;
}

// Puts a whole temporary where nothing stands. A hard link never replaces a file that appeared
// meanwhile; where the file system has none, the rename is the same step an ordinary save takes.
bool PutWhereNothingIs(const SettingsPlace& place, const std::string& temporary) {
    const int folder = place.folder.get();
    bool recovered = false;
    if (::linkat(folder, temporary.c_str(), folder, place.name.c_str(), 0) == 0) {
        ::unlinkat(folder, temporary.c_str(), 0);
        recovered = true;
    } else {
        recovered = errno != EEXIST && ::renameat(folder, temporary.c_str(), folder, place.name.c_str()) == 0;
    }
    if (recovered) SyncFolder(folder);
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
    int error = 0;
    const std::optional<SettingsPlace> place = OpenSettingsPlace(path, error);
    if (!place) {
        const bool missing = error == ENOENT || error == ENOTDIR;
        return {missing ? ReadStatus::kMissing : ReadStatus::kUnreadable, {}, {}};
    }
    return ReadFileAt(place->folder.get(), place->name);
}

std::optional<FileState> StateOf(std::u16string_view path) {
    struct stat info {};
    if (::stat(NativePath(path).c_str(), &info) != 0) return std::nullopt;
    return StateFrom(info);
}

bool WriteFileReplacing(std::u16string_view path, const ByteSource& source, FileState* written) {
    const std::optional<SettingsPlace> place = OpenSettingsPlace(path);
    if (!place) return false;
    struct stat existing {};
    if (!StateAt(place->folder.get(), place->name, existing)) {
        return errno == ENOENT && SaveByRename(*place, std::nullopt, source, written);
    }
    // A link that turned up since the path was walked, a folder, a pipe: not a file to replace.
    if (!S_ISREG(existing.st_mode)) return false;
    // A file without any write permission bit was made read-only on purpose (root ignores the bits).
    if ((existing.st_mode & 0222) == 0) return false;
    if (MayRewriteEveryName(*place, existing)) return SaveKeepingNames(*place, existing, source, written);
    return SaveByRename(*place, existing, source, written);
}

bool RecoverInterruptedSave(std::u16string_view path, const WholeCheck& isWhole) {
    const std::optional<SettingsPlace> place = OpenSettingsPlace(path);
    if (!place) return false;
    const int folder = place->folder.get();
    const std::vector<FoundTemporary> found = FindTemporaries(*place, isWhole);
    std::vector<LeftoverTemporary> leftovers;
    for (const auto& temporary : found) leftovers.push_back(temporary.leftover);
    const LeftoverTemporary* newest = NewestRecoverable(leftovers);
    if (!newest) return false;
    const FoundTemporary& chosen = found[static_cast<std::size_t>(newest - leftovers.data())];

    struct stat existing {};
    if (!StateAt(folder, place->name, existing)) return errno == ENOENT && PutWhereNothingIs(*place, chosen.name);
    if (!S_ISREG(existing.st_mode)) return false;
    const FileRead file = ReadFileAt(folder, place->name);
    const FileRead temporary = ReadFileAt(folder, chosen.name);
    if (file.status != ReadStatus::kRead || temporary.status != ReadStatus::kRead ||
        !TemporaryReplacesFile(file.bytes, file.state.modified, temporary.bytes, chosen.leftover.modified, isWhole)) {
        return false;
    }
    return PutOverFile(*place, existing, chosen.name, chosen.leftover.modified);
}

void RemoveLeftoverTemporaries(std::u16string_view path, const WholeCheck& isWhole) {
    const std::optional<SettingsPlace> place = OpenSettingsPlace(path);
    if (!place) return;
    const int folder = place->folder.get();
    struct stat file {};
    if (!StateAt(folder, place->name, file) || !S_ISREG(file.st_mode)) return;
    const std::int64_t fileModified = StateFrom(file).modified;
    const FileRead held = ReadFileAt(folder, place->name);
    const bool fileWhole = held.status == ReadStatus::kRead && isWhole(held.bytes);
    for (const auto& leftover : FindTemporaries(*place, isWhole)) {
        // While the file in place is not whole, a whole temporary may be the only copy of the settings.
        if (!fileWhole && leftover.leftover.whole) continue;
        if (!HoldsNothingNewer(leftover.leftover, fileModified)) {
            const FileRead temporary = ReadFileAt(folder, leftover.name);
            // A newer temporary goes only when the file holds the same settings.
            if (held.status != ReadStatus::kRead || temporary.status != ReadStatus::kRead ||
                temporary.bytes != held.bytes) {
                continue;
            }
        }
        ::unlinkat(folder, leftover.name.c_str(), 0);
    }
    const auto isPartial = [](std::u16string_view name, std::u16string_view fileName) {
        return IsPartialNameFor(name, fileName, kNameCase);
    };
    for (const FoundSaveFile& partial : FindSaveFiles(*place, isPartial)) ::unlinkat(folder, partial.name.c_str(), 0);
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
