#include "app/posix/instance_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include "settings/execute_setting.h"
#include "support/text.h"

namespace kestrival {
namespace {

std::string LockFileOf(std::uint64_t key) {
    const std::u16string name = InstanceLockName(key);  // "Local\Kestrival-<hex>"
    const std::string hex = ToUtf8(name.substr(name.find(u'-') + 1));
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) return std::string(runtime) + "/kestrival-" + hex + ".lock";
    return "/tmp/kestrival-" + std::to_string(::getuid()) + "-" + hex + ".lock";
}

}  // namespace

std::uint64_t InstanceKeyOf(const std::u16string& settingFile) {
    std::string path = ToUtf8(settingFile);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) return InstanceKey(AsciiUpper(settingFile));
    const std::u16string name = FromUtf8(slash == std::string::npos ? path : path.substr(slash + 1));
    return InstanceKey(FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
                                    AsciiUpper(name)});
}

std::unique_ptr<InstanceLock> InstanceLock::Acquire(std::uint64_t key) {
    const int fd = ::open(LockFileOf(key).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return std::unique_ptr<InstanceLock>(new InstanceLock(-1));
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return held ? nullptr : std::unique_ptr<InstanceLock>(new InstanceLock(-1));
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::pwrite(fd, pid.data(), pid.size(), 0);
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0) ::close(fd_);  // closing lets go of the lock
}

void ShowRunningGadget(std::uint64_t key) {
    const int fd = ::open(LockFileOf(key).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;
    char text[32] = {};
    const ssize_t length = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    const long pid = length > 0 ? std::strtol(text, nullptr, 10) : 0;
    if (pid > 1) ::kill(static_cast<pid_t>(pid), SIGUSR1);
}

}  // namespace kestrival
