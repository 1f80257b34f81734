#include "app/posix/instance_lock.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#include "support/posix/native_path.h"
#include "support/text.h"

namespace kestrival {
namespace {

using Clock = std::chrono::steady_clock;

// As many links as the kernel follows before it reports a loop.
constexpr int kMaxLinkHops = 40;

// Only this user and root may decide where a link of the settings path leads.
bool IsTrustedOwner(uid_t owner) { return owner == ::geteuid() || owner == 0; }

// A folder of this user's that nobody else may enter or change, reached without a link.
bool IsPrivateFolder(const std::string& folder) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// Makes `folder` for this user alone unless it is there; true when it is then a private folder of
// ours. A name someone else made first (a folder, a link, a file) is never used.
bool MadePrivate(const std::string& folder) {
    ::mkdir(folder.c_str(), 0700);
    return IsPrivateFolder(folder);
}

std::string LockFolderOf(const PrivateFolders& folders) {
    if (!folders.runtime.empty() && IsPrivateFolder(folders.runtime) && MadePrivate(folders.runtime + "/kestrival")) {
        return folders.runtime + "/kestrival";
    }
    if (!folders.shared.empty() && MadePrivate(folders.shared)) return folders.shared;
    if (!folders.home.empty() && folders.home.front() == '/') {
        const std::string cache = folders.home + "/.cache";
        ::mkdir(cache.c_str(), 0700);
        if (MadePrivate(cache + "/kestrival")) return cache + "/kestrival";
    }
    return {};
}

std::vector<std::string> NamesOf(std::string_view path) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        if (slash > start) names.emplace_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return names;
}

// Where a settings path leads: the deepest folder it reaches and the rest of the path from there
// (the file's name, or more where a folder is not made yet).
struct PlaceOfFile {
    std::string folder;  // "" for the root folder
    std::string rest;
    struct stat folderInfo {};
};

std::optional<PlaceOfFile> Found(std::string folder, std::string rest) {
    PlaceOfFile place{std::move(folder), std::move(rest), {}};
    if (::lstat(place.folder.empty() ? "/" : place.folder.c_str(), &place.folderInfo) != 0 ||
        !S_ISDIR(place.folderInfo.st_mode)) {
        return std::nullopt;
    }
    return place;
}

// Follows the path one name at a time as the kernel does, through links of this user or root
// only: another user's link is itself the place's last name, as a file the gadget will not
// follow. Nothing for a loop, an unreadable link or a working folder that cannot be named.
std::optional<PlaceOfFile> PlaceOf(const std::string& path) {
    std::string folder;
    if (path.empty()) return std::nullopt;
    if (path.front() != '/') {
        char* working = ::getcwd(nullptr, 0);
        if (!working) return std::nullopt;
        folder = working;
        std::free(working);
        if (folder == "/") folder.clear();
    }
    std::vector<std::string> pending = NamesOf(path);
    std::reverse(pending.begin(), pending.end());  // the next name last
    int hops = 0;
    while (!pending.empty()) {
        std::string name = std::move(pending.back());
        pending.pop_back();
        if (name == ".") continue;
        if (name == "..") {
            folder.erase(std::min(folder.find_last_of('/'), folder.size()));
            continue;
        }
        const std::string next = folder + "/" + name;
        struct stat info {};
        const bool found = ::lstat(next.c_str(), &info) == 0;
        if (found && S_ISLNK(info.st_mode) && IsTrustedOwner(info.st_uid)) {
            std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 4095) + 1, '\0');
            const ssize_t length = ::readlink(next.c_str(), target.data(), target.size());
            if (++hops > kMaxLinkHops || length <= 0 || static_cast<std::size_t>(length) >= target.size()) {
                return std::nullopt;
            }
            target.resize(static_cast<std::size_t>(length));
            if (target.front() == '/') folder.clear();
            std::vector<std::string> names = NamesOf(target);
            pending.insert(pending.end(), names.rbegin(), names.rend());
            continue;
        }
        if (found && S_ISDIR(info.st_mode) && !pending.empty()) {
            folder = next;
            continue;
        }
        std::string rest = std::move(name);
        for (auto later = pending.rbegin(); later != pending.rend(); ++later) rest += "/" + *later;
        return Found(std::move(folder), std::move(rest));
    }
    // The path named the root folder or a folder's parent: the place is that folder itself.
    return Found(std::move(folder), ".");
}

std::string Hex(std::uint64_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    do {
        text.insert(text.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    return text;
}

// The same 64-bit FNV-1a hash on every start: a name of any length in a few letters.
std::uint64_t HashOf(std::string_view bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
    }
    return hash;
}

// The lock's name without its extension: the same for every spelling of the settings path and
// whether or not the file exists yet.
std::string LockNameOf(const PlaceOfFile& place) {
    return Hex(static_cast<std::uint64_t>(place.folderInfo.st_dev)) + "-" +
           Hex(static_cast<std::uint64_t>(place.folderInfo.st_ino)) + "-" + Hex(HashOf(place.rest));
}

// A plain file of this user's with one name that only this user may open.
bool IsOwnLockFile(int fd) {
    struct stat info {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1 &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

int OpenLockFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (IsOwnLockFile(fd)) return fd;
    ::close(fd);
    return -1;
}

// Whether `path` still names the file open as `fd`: a holder removes its name as it ends.
bool StillNamed(int fd, const std::string& path) {
    struct stat opened {};
    struct stat named {};
    return ::fstat(fd, &opened) == 0 && ::lstat(path.c_str(), &named) == 0 && opened.st_dev == named.st_dev &&
           opened.st_ino == named.st_ino;
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
}

bool PeerIsThisUser(int socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == ::geteuid();
}

// The record a lock's holder writes (this version and earlier ones): a socket's full path,
// ending in ".sock", and a line break, nothing else.
std::optional<std::string> RecordOf(int lockFd) {
    constexpr std::string_view kSocketEnd = ".sock";
    char text[sizeof(sockaddr_un::sun_path) + 1] = {};
    const ssize_t length = ::pread(lockFd, text, sizeof text, 0);
    if (length <= 0) return std::nullopt;
    const std::string_view record(text, static_cast<std::size_t>(length));
    const std::size_t end = record.find('\n');
    if (end == std::string_view::npos || end + 1 != record.size() || record.front() != '/' ||
        end < kSocketEnd.size() + 1 || record.substr(end - kSocketEnd.size(), kSocketEnd.size()) != kSocketEnd) {
        return std::nullopt;
    }
    return std::string(record.substr(0, end));
}

// The socket path the holder of the lock published, if it passes every check.
std::string PublishedSocket(int lockFd) {
    const std::optional<std::string> path = RecordOf(lockFd);
    if (!path) return {};
    const std::string folder = path->substr(0, path->find_last_of('/'));
    struct stat info {};
    if (!IsPrivateFolder(folder) || ::lstat(path->c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        return {};
    }
    return *path;
}

// Asks the gadget listening at `path` to come forward; true once it has answered.
bool AskToComeForward(const std::string& path, Clock::time_point deadline) {
    sockaddr_un address{};
    if (!FillAddress(path, address)) return false;
    const int socket = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0) return false;
    bool answered = false;
    if (::connect(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 && PeerIsThisUser(socket)) {
        // A gadget that is closing drops the request unanswered: then the lock comes free.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd wait{socket, POLLIN, 0};
        char answer = 0;
        answered = ::poll(&wait, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0))) == 1 &&
                   ::recv(socket, &answer, 1, 0) == 1;
    }
    ::close(socket);
    return answered;
}

// Earlier versions locked "<settings file>.lock" beside the file and wrote their socket's path
// into it. A gadget of such a version that still runs on the file is brought forward (true: this
// start ends). A lock file of theirs that nobody holds is removed; anything else at that name (a
// Windows gadget's lock, which is empty, a file of someone else's, a link) is left alone.
bool AnEarlierGadgetRuns(const PlaceOfFile& place, Clock::time_point deadline) {
    if (place.rest.find('/') != std::string::npos) return false;
    const std::string path = place.folder + "/" + place.rest + ".lock";
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat info {};
    bool runs = false;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && info.st_nlink == 1 &&
        RecordOf(fd)) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (StillNamed(fd, path)) ::unlink(path.c_str());
        } else if (errno == EWOULDBLOCK) {
            const std::string published = PublishedSocket(fd);
            runs = !published.empty() && AskToComeForward(published, deadline);
        }
    }
    ::close(fd);
    return runs;
}

}  // namespace

PrivateFolders PrivateFolders::OfThisUser() {
    const std::string uid = std::to_string(::geteuid());
    PrivateFolders folders{"/run/user/" + uid, "/tmp/kestrival-" + uid, {}};
    if (const passwd* user = ::getpwuid(::geteuid()); user && user->pw_dir) folders.home = user->pw_dir;
    return folders;
}

std::unique_ptr<InstanceLock> InstanceLock::Claim(const std::u16string& settingFile, std::chrono::milliseconds patience,
                                                  const PrivateFolders& folders) {
    std::unique_ptr<InstanceLock> lock(new InstanceLock());
    const Clock::time_point deadline = Clock::now() + patience;
    const std::optional<PlaceOfFile> place = PlaceOf(NativePath(settingFile));
    const std::string folder = place ? LockFolderOf(folders) : std::string();
    if (folder.empty()) return lock;  // unguarded
    const std::string name = LockNameOf(*place);
    if (!lock->Lock(folder + "/" + name + ".lock", deadline)) return nullptr;
    if (lock->lockFd_ < 0) return lock;  // unguarded
    lock->folderFd_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock->folderFd_ >= 0) ::flock(lock->folderFd_, LOCK_SH | LOCK_NB);
    if (AnEarlierGadgetRuns(*place, deadline)) return nullptr;
    if (lock->OpenChannel(folder, name)) lock->Publish();
    return lock;
}

// Takes the lock at `lockFile`; false when another gadget of this user holds it (and was asked
// to come forward, or did not answer in time). Where no lock can be had the run stays unguarded.
bool InstanceLock::Lock(const std::string& lockFile, Clock::time_point deadline) {
    for (;;) {
        if (lockFd_ < 0) {
            lockFd_ = OpenLockFile(lockFile);
            if (lockFd_ < 0) return true;  // unguarded
        }
        if (::flock(lockFd_, LOCK_EX | LOCK_NB) == 0) {
            if (StillNamed(lockFd_, lockFile)) {
                lockFile_ = lockFile;
                return true;
            }
        } else if (errno == EINTR) {
            continue;
        } else if (errno != EWOULDBLOCK) {
            break;  // a file system without locks: the gadget runs unguarded
        } else {
            const std::string published = PublishedSocket(lockFd_);
            if ((!published.empty() && AskToComeForward(published, deadline)) || Clock::now() >= deadline) {
                ::close(lockFd_);
                lockFd_ = -1;
                return false;
            }
            // The holder may have the lock but not yet its socket, or be closing.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (StillNamed(lockFd_, lockFile)) continue;
        }
        // The holder ended and removed the name: the lock is taken on the name as it is now.
        ::close(lockFd_);
        lockFd_ = -1;
        if (Clock::now() >= deadline) break;
    }
    if (lockFd_ >= 0) ::close(lockFd_);
    lockFd_ = -1;
    return true;
}

// Beside the lock in its private folder, unless that name is too long for a socket: then in a
// folder of its own under /tmp.
bool InstanceLock::OpenChannel(const std::string& folder, const std::string& name) {
    sockaddr_un address{};
    socketPath_ = folder + "/" + name + ".sock";
    if (FillAddress(socketPath_, address)) {
        // Only a socket an earlier run of this file left is replaced; this run holds the file's lock.
        struct stat old {};
        if (::lstat(socketPath_.c_str(), &old) == 0 && S_ISSOCK(old.st_mode)) ::unlink(socketPath_.c_str());
    } else {
        std::string made = "/tmp/kestrival-XXXXXX";
        if (!::mkdtemp(made.data())) return false;  // made with mode 0700
        madeFolder_ = made;
        socketPath_ = made + "/gadget.sock";
        if (!FillAddress(socketPath_, address)) return false;
    }
    listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    struct stat bound {};
    if (listener_ < 0 || ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener_, 16) != 0 || ::lstat(socketPath_.c_str(), &bound) != 0) {
        if (listener_ >= 0) ::close(listener_);
        listener_ = -1;
        return false;
    }
    socketInode_ = bound.st_ino;
    return true;
}

// The socket's path, for later starts; written only once the socket listens, so that whatever a
// later start finds there can already take its request. Readers check every record, so one read
// while this is written is simply tried again.
void InstanceLock::Publish() {
    const std::string record = socketPath_ + "\n";
    if (::pwrite(lockFd_, record.data(), record.size(), 0) == static_cast<ssize_t>(record.size())) {
        [[maybe_unused]] const int cut = ::ftruncate(lockFd_, static_cast<off_t>(record.size()));
    }
}

bool InstanceLock::TakeRequests() {
    bool any = false;
    for (;;) {
        const int request = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (request < 0) {
            if (errno == EINTR) continue;
            return any;
        }
        if (PeerIsThisUser(request)) {
            const char answer = '\n';
            [[maybe_unused]] const ssize_t sent = ::send(request, &answer, 1, MSG_NOSIGNAL);
            any = true;
        }
        ::close(request);
    }
}

InstanceLock::~InstanceLock() {
    if (listener_ >= 0) {
        ::close(listener_);
        // Only the socket this run made goes.
        struct stat info {};
        if (::lstat(socketPath_.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_ino == socketInode_) {
            ::unlink(socketPath_.c_str());
        }
    }
    if (!madeFolder_.empty()) ::rmdir(madeFolder_.c_str());
    if (lockFd_ >= 0) {
        // The name goes while the lock is still held: a start that opened it meanwhile finds the
        // name gone once it has the lock, and takes the lock again on a new file.
        if (StillNamed(lockFd_, lockFile_)) ::unlink(lockFile_.c_str());
        ::close(lockFd_);  // lets go of the lock, last
    }
    if (folderFd_ >= 0) ::close(folderFd_);
}

}  // namespace kestrival
