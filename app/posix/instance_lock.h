#pragma once
// One gadget per settings file on Linux: an flock on a lock file named by the file's identity,
// held for the whole run. The lock file holds the running gadget's process id, so that a second
// start can ask it (SIGUSR1) to come forward.
#include <cstdint>
#include <memory>
#include <string>

namespace kestrival {

// The key of the file's one gadget: its folder's device and inode and its name in one letter case,
// the same for every spelling of the path (links, "..", a bind mount of the same file system).
std::uint64_t InstanceKeyOf(const std::u16string& settingFile);

class InstanceLock {
public:
    // The lock for the file of `key`, or nothing when another running gadget holds it. Where no
    // lock file can be made the gadget runs unguarded.
    static std::unique_ptr<InstanceLock> Acquire(std::uint64_t key);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    explicit InstanceLock(int fd) : fd_(fd) {}
    int fd_;
};

// Asks the gadget that holds `key` to show itself and come forward.
void ShowRunningGadget(std::uint64_t key);

}  // namespace kestrival
