#include "app/posix/instance_lock.h"

#include <fcntl.h>
#include <poll.h>
#include <pwd.h>
#include <sys/epoll.h>
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

// Every folder of this user's alone the lock may stand in, in one fixed order. A start takes the
// lock in each of them, so two starts meet as long as one folder stands for both, whichever
// comes and goes between them: the runtime folder appears at the first login and goes at the
// last logout, another user may take the shared name first, but the home's cache stays.
std::vector<std::string> LockFoldersOf(const PrivateFolders& folders) {
    std::vector<std::string> found;
    if (!folders.runtime.empty() && IsPrivateFolder(folders.runtime) && MadePrivate(folders.runtime + "/kestrival")) {
        found.push_back(folders.runtime + "/kestrival");
    }
    if (!folders.shared.empty() && MadePrivate(folders.shared)) found.push_back(folders.shared);
    if (!folders.home.empty() && folders.home.front() == '/') {
        const std::string cache = folders.home + "/.cache";
        ::mkdir(cache.c_str(), 0700);
        if (MadePrivate(cache + "/kestrival")) found.push_back(cache + "/kestrival");
    }
    return found;
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

// Takes the lock at `lockFile`: its open file, or -1. `heldByAnother` tells why not: another
// gadget of this user holds it (and was asked to come forward, or did not answer in time), or no
// lock can be had there (a name that is not a lock file of ours, a file system without locks).
int TakeLock(const std::string& lockFile, Clock::time_point deadline, bool& heldByAnother) {
    heldByAnother = false;
    int fd = -1;
    for (;;) {
        if (fd < 0) {
            fd = OpenLockFile(lockFile);
            if (fd < 0) return -1;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (StillNamed(fd, lockFile)) return fd;
        } else if (errno == EINTR) {
            continue;
        } else if (errno != EWOULDBLOCK) {
            break;
        } else {
            const std::string published = PublishedSocket(fd);
            if ((!published.empty() && AskToComeForward(published, deadline)) || Clock::now() >= deadline) {
                heldByAnother = true;
                break;
            }
            // The holder may have the lock but not yet its socket, or be closing.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            if (StillNamed(fd, lockFile)) continue;
        }
        // The holder ended and removed the name: the lock is taken on the name as it is now.
        ::close(fd);
        fd = -1;
        if (Clock::now() >= deadline) return -1;
    }
    ::close(fd);
    return -1;
}

// A socket listening at `path` (an earlier run's socket there is replaced: this run holds the
// file's lock); -1 when none can be made.
int ListenAt(const std::string& path, std::uint64_t& inode) {
    sockaddr_un address{};
    if (!FillAddress(path, address)) return -1;
    struct stat old {};
    if (::lstat(path.c_str(), &old) == 0 && S_ISSOCK(old.st_mode)) ::unlink(path.c_str());
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    struct stat bound {};
    if (listener < 0 || ::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0 || ::lstat(path.c_str(), &bound) != 0) {
        if (listener >= 0) ::close(listener);
        return -1;
    }
    inode = static_cast<std::uint64_t>(bound.st_ino);
    return listener;
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
    if (!place) return lock;  // unguarded
    const std::string name = LockNameOf(*place);
    for (const std::string& folder : LockFoldersOf(folders)) {
        bool heldByAnother = false;
        const int fd = TakeLock(folder + "/" + name + ".lock", deadline, heldByAnother);
        if (heldByAnother) return nullptr;  // the locks taken so far go with `lock`
        if (fd < 0) continue;
        Held held{folder, folder + "/" + name + ".lock", fd, -1, {}};
        held.folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (held.folderFd >= 0) ::flock(held.folderFd, LOCK_SH | LOCK_NB);
        lock->held_.push_back(std::move(held));
    }
    if (lock->held_.empty()) return lock;  // unguarded
    if (AnEarlierGadgetRuns(*place, deadline)) return nullptr;
    lock->OpenChannels(name);
    lock->Publish();
    return lock;
}

std::vector<std::string> InstanceLock::LockFiles() const {
    std::vector<std::string> files;
    for (const Held& held : held_) files.push_back(held.lockFile);
    return files;
}

// A socket beside each lock, so that a later start reaches this gadget through whichever lock
// it finds taken, as long as that lock's folder stands. Where that name is too long for a socket,
// one in a folder made for this run under /tmp.
void InstanceLock::OpenChannels(const std::string& name) {
    requests_ = ::epoll_create1(EPOLL_CLOEXEC);
    if (requests_ < 0) return;
    for (Held& held : held_) {
        Channel& channel = held.channel;
        channel.socketPath = held.folder + "/" + name + ".sock";
        channel.listener = ListenAt(channel.socketPath, channel.socketInode);
        if (channel.listener >= 0) {
            Watch(channel.listener);
            continue;
        }
        if (madeFolder_.empty()) {
            std::string made = "/tmp/kestrival-XXXXXX";
            if (!::mkdtemp(made.data())) continue;  // made with mode 0700
            madeFolder_ = made;
            madeSocket_.socketPath = made + "/gadget.sock";
            madeSocket_.listener = ListenAt(madeSocket_.socketPath, madeSocket_.socketInode);
            if (madeSocket_.listener >= 0) Watch(madeSocket_.listener);
        }
        channel.socketPath = madeSocket_.listener >= 0 ? madeSocket_.socketPath : std::string();
    }
    bool listening = madeSocket_.listener >= 0;
    for (const Held& held : held_) listening |= held.channel.listener >= 0;
    if (!listening) {
        ::close(requests_);
        requests_ = -1;
    }
}

void InstanceLock::Watch(int listener) {
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.fd = listener;
    ::epoll_ctl(requests_, EPOLL_CTL_ADD, listener, &event);
}

// Each lock's socket path, for later starts; written only once the socket listens, so that
// whatever a later start finds there can already take its request. Readers check every record,
// so one read while this is written is simply tried again.
void InstanceLock::Publish() {
    for (const Held& held : held_) {
        if (held.channel.socketPath.empty()) continue;
        const std::string record = held.channel.socketPath + "\n";
        if (::pwrite(held.lockFd, record.data(), record.size(), 0) == static_cast<ssize_t>(record.size())) {
            [[maybe_unused]] const int cut = ::ftruncate(held.lockFd, static_cast<off_t>(record.size()));
        }
    }
}

bool InstanceLock::TakeRequests() {
    bool any = false;
    std::vector<int> listeners{madeSocket_.listener};
    for (const Held& held : held_) listeners.push_back(held.channel.listener);
    for (const int listener : listeners) {
        if (listener < 0) continue;
        for (;;) {
            const int request = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (request < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (PeerIsThisUser(request)) {
                const char answer = '\n';
                [[maybe_unused]] const ssize_t sent = ::send(request, &answer, 1, MSG_NOSIGNAL);
                any = true;
            }
            ::close(request);
        }
    }
    return any;
}

// Only the socket this run made goes.
void InstanceLock::Channel::Close() {
    if (listener < 0) return;
    ::close(listener);
    listener = -1;
    struct stat info {};
    if (::lstat(socketPath.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_ino == socketInode) {
        ::unlink(socketPath.c_str());
    }
}

InstanceLock::~InstanceLock() {
    if (requests_ >= 0) ::close(requests_);
    for (Held& held : held_) held.channel.Close();
    madeSocket_.Close();
    if (!madeFolder_.empty()) ::rmdir(madeFolder_.c_str());
    for (const Held& held : held_) {
        // The name goes while the lock is still held: a start that opened it meanwhile finds the
        // name gone once it has the lock, and takes the lock again on a new file.
        if (StillNamed(held.lockFd, held.lockFile)) ::unlink(held.lockFile.c_str());
        ::close(held.lockFd);  // lets go of the lock, last
        if (held.folderFd >= 0) ::close(held.folderFd);
    }
}

}  // namespace kestrival
