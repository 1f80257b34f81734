#pragma once
// One gadget per settings file on Linux, whatever the environment of each start, and no way in
// for other users of the machine.
//
// The lock is an flock on "<settings file>.lock" beside the file the settings path leads to
// (through links). Every start of this user on this file opens that one file whatever its
// environment, and the file system decides which names meet: letter case, links and bind mounts
// count exactly as it counts them for the settings file itself. Only someone who may already
// replace the settings file can make names in its folder. The lock file is never removed, so no
// start can find the name briefly missing.
//
// The way to reach the running gadget is a local socket in a folder of this user's with no rights
// for anyone else: the runtime folder when it is such a folder, else one made for this run under
// /tmp with a name nobody can guess. The lock's holder writes the socket's path into the lock file
// once the socket listens. A later start trusts that path only from a lock file it owns, only in a
// folder it owns that others cannot enter, and only to a listener of its own user (the socket's
// peer credentials). No process is ever signalled.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrival {

class InstanceLock {
public:
    // Claims the settings file for this run. Nothing when another gadget of this user holds it:
    // that gadget has been asked to come forward, or did not answer within `patience` (it may
    // be closing: then this start takes the lock instead, if it comes free in that time). Where
    // no usable lock file can be made, the gadget runs unguarded.
    static std::unique_ptr<InstanceLock> Claim(const std::u16string& settingFile,
                                               std::chrono::milliseconds patience = std::chrono::seconds(5));
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The listening socket through which later starts ask this gadget to come forward, readable
    // while a request waits; -1 when there is none.
    int RequestSocket() const { return listener_; }
    // Answers every waiting request; true when any came from this user.
    bool TakeRequests();

    // Where the lock and the socket are, for the tests.
    const std::string& LockFile() const { return lockFile_; }
    const std::string& SocketPath() const { return socketPath_; }

private:
    InstanceLock() = default;
    bool OpenChannel();
    void Publish();

    std::string lockFile_;
    int lockFd_ = -1;
    int listener_ = -1;
    std::string socketPath_;
    std::uint64_t socketInode_ = 0;
    std::string madeFolder_;  // the folder made for this run's socket, removed at exit
};

}  // namespace kestrival
