#include "app/posix/instance_lock.h"

#include <fcntl.h>
#include <pwd.h>
#include <poll.h>
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

#include "support/posix/file_behind_links.h"
#include "support/posix/native_path.h"
#include "support/text.h"

namespace kestrival {
namespace {

using Clock = std::chrono::steady_clock;

std::string RealPath(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real) return {};
    std::string result(real);
    std::free(real);
    return result;
}

// Beside the file at the end of the settings path's links, so that every link to one file finds
// one lock, even a link whose file the first save has yet to make; a file not made yet is named
// in its folder through that folder's links.
std::string LockFileOf(const std::string& settingFile) {
    const std::optional<std::string> behind = FileBehindLinks(settingFile);
    const std::string end = behind.value_or(settingFile);
    // A link nobody may follow (another user's) is not followed to name the lock either: the lock
    // then stands beside the link.
    std::string file = behind ? RealPath(end) : std::string();
    if (file.empty()) {
        const std::size_t slash = end.find_last_of('/');
        const std::string folder = slash == std::string::npos ? std::string(".") : end.substr(0, slash);
        const std::string realFolder = RealPath(folder.empty() ? "/" : folder);
        const std::string name = slash == std::string::npos ? end : end.substr(slash + 1);
        file = realFolder.empty() ? end : (realFolder == "/" ? "" : realFolder) + "/" + name;
    }
    return file + ".lock";
}

// A lock file that is a plain file of this user's with one name that only this user may open:
// never a link, a device, a pipe or another user's file, never a second name of some other file
// of this user's, which writing the socket's path into would spoil, and never a file another
// user could hold the lock of. A file of ours that others may open is closed to them first.
bool IsOwnLockFile(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || info.st_nlink != 1) {
        return false;
    }
    if ((info.st_mode & 07777) != 0600 && ::fchmod(fd, 0600) != 0) return false;
    return ::fstat(fd, &info) == 0 && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

int OpenLockFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (IsOwnLockFile(fd)) return fd;
    ::close(fd);
    return -1;
}

// A folder of this user's that nobody else may enter or change, reached without a link.
bool IsPrivateFolder(const std::string& folder) {
    struct stat info {};
    return ::lstat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

bool FillAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.data(), path.size());
    return true;
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

// A folder of this user's own under the home folder, for a lock where the lock beside the file
// cannot be had. The home folder comes from the environment as the settings path does, so that
// every start of one user agrees on it.
std::string PrivateLockFolder() {
    const char* environment = std::getenv("HOME");
    std::string home = environment && *environment == '/' ? environment : "";
    if (home.empty()) {
        const passwd* user = ::getpwuid(::geteuid());
        if (!user || !user->pw_dir || *user->pw_dir != '/') return {};
        home = user->pw_dir;
    }
    const std::string cache = home + "/.cache";
    const std::string folder = cache + "/kestrival";
    ::mkdir(cache.c_str(), 0700);
    ::mkdir(folder.c_str(), 0700);
    return IsPrivateFolder(folder) ? folder : std::string();
}

// Where the lock beside the file is another user's or cannot be made (a shared folder with the
// sticky bit, a folder this user may not write to), the lock stands in a private folder under a
// name made from the device and inode of the folder the lock would stand in and the lock's name:
// the same for every spelling of the settings path and whether or not the file exists yet.
std::string PrivateLockFileOf(const std::string& lockFile) {
    const std::size_t slash = lockFile.find_last_of('/');
    if (slash == std::string::npos) return {};
    struct stat folderInfo {};
    if (::stat(slash == 0 ? "/" : lockFile.substr(0, slash).c_str(), &folderInfo) != 0) return {};
    const std::string folder = PrivateLockFolder();
    if (folder.empty()) return {};
    return folder + "/" + Hex(folderInfo.st_dev) + "-" + Hex(folderInfo.st_ino) + "-" +
           Hex(HashOf(std::string_view(lockFile).substr(slash + 1))) + ".lock";
}

bool PeerIsThisUser(int socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    return ::getsockopt(socket, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == ::geteuid();
}

// The socket path the holder of the lock published, if it passes every check.
std::string PublishedSocket(int lockFd) {
    char text[sizeof(sockaddr_un::sun_path) + 1] = {};
    const ssize_t length = ::pread(lockFd, text, sizeof text, 0);
    if (length <= 0) return {};
    const std::string_view record(text, static_cast<std::size_t>(length));
    const std::size_t end = record.find('\n');
    if (end == std::string_view::npos || end == 0 || record.front() != '/') return {};
    const std::string path(record.substr(0, end));
    const std::string folder = path.substr(0, path.find_last_of('/'));
    struct stat info {};
    if (!IsPrivateFolder(folder) || ::lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        return {};
    }
    return path;
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

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::Claim(const std::u16string& settingFile,
                                                  std::chrono::milliseconds patience) {
    std::unique_ptr<InstanceLock> lock(new InstanceLock());
    lock->lockFile_ = LockFileOf(NativePath(settingFile));
    lock->lockFd_ = OpenLockFile(lock->lockFile_);
    if (lock->lockFd_ < 0) {
        lock->lockFile_ = PrivateLockFileOf(lock->lockFile_);
        if (lock->lockFile_.empty()) return lock;  // unguarded
        lock->lockFd_ = OpenLockFile(lock->lockFile_);
        if (lock->lockFd_ < 0) return lock;  // unguarded
    }
    const Clock::time_point deadline = Clock::now() + patience;
    for (;;) {
        if (::flock(lock->lockFd_, LOCK_EX | LOCK_NB) == 0) {
            if (lock->OpenChannel()) lock->Publish();
            return lock;
        }
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK) {
            // A file system without locks: the gadget runs unguarded.
            ::close(lock->lockFd_);
            lock->lockFd_ = -1;
            return lock;
        }
        const std::string published = PublishedSocket(lock->lockFd_);
        if (!published.empty() && AskToComeForward(published, deadline)) return nullptr;
        if (Clock::now() >= deadline) return nullptr;
        // The holder may have the lock but not yet its socket, or be closing.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The runtime folder when it is private, else a folder of its own under /tmp.
bool InstanceLock::OpenChannel() {
    struct stat lockInfo {};
    if (::fstat(lockFd_, &lockInfo) != 0) return false;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string runtimeSocket =
        runtime && *runtime
            ? std::string(runtime) + "/kestrival-" + Hex(lockInfo.st_dev) + "-" + Hex(lockInfo.st_ino) + ".sock"
            : std::string();
    sockaddr_un address{};
    if (!runtimeSocket.empty() && IsPrivateFolder(runtime) && FillAddress(runtimeSocket, address)) {
        socketPath_ = runtimeSocket;
        // Only a socket an earlier run of this file left is replaced; this run holds the file's lock.
        struct stat old {};
        if (::lstat(socketPath_.c_str(), &old) == 0 && S_ISSOCK(old.st_mode)) ::unlink(socketPath_.c_str());
    } else {
        std::string folder = "/tmp/kestrival-XXXXXX";
        if (!::mkdtemp(folder.data())) return false;  // made with mode 0700
        madeFolder_ = folder;
        socketPath_ = folder + "/gadget.sock";
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
        // Only the socket this run made goes; the lock file stays for every later start.
        struct stat info {};
        if (::lstat(socketPath_.c_str(), &info) == 0 && S_ISSOCK(info.st_mode) && info.st_ino == socketInode_) {
            ::unlink(socketPath_.c_str());
        }
    }
    if (!madeFolder_.empty()) ::rmdir(madeFolder_.c_str());
    if (lockFd_ >= 0) ::close(lockFd_);  // lets go of the lock, last
}

}  // namespace kestrival
