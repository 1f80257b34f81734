#pragma once
// One gadget per settings file on Linux, whatever the environment of each start, and no way in
// for other users of the machine.
//
// The lock is an flock on a file in a folder of this user's that nobody else may enter: the
// runtime folder logind makes for the user, else /tmp/kestrival-<uid>, else a folder under the
// home's cache. The folders are found from the user's identity, never from the environment, so a
// start from a terminal, at login, through su or cron meets the same lock. The lock file is named
// by the device and inode of the settings file's folder (reached through the path's links) and
// the rest of the path, so every spelling of one file meets one lock, and the settings folder (a
// synced folder, a folder others share) holds no lock file that anyone could replace, delete,
// open or hold. A link of another user is never followed to name it. The holder removes its lock
// file as it ends; a start checks after locking that the name still leads to the file it locked.
//
// The way to reach the running gadget is a local socket beside the lock, or where that name is
// too long for a socket, in a folder made for this run under /tmp with a name nobody can guess.
// The lock's holder writes the socket's path into the lock file once the socket listens. A later
// start trusts that path only in a folder of its own that others cannot enter, and only to a
// listener of its own user (the socket's peer credentials). No process is ever signalled.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

namespace kestrival {

// Where this user's lock folder may stand, in the order tried. Each must be a folder of this
// user's with no rights for anyone else, checked without following a link.
struct PrivateFolders {
    std::string runtime;  // the user's runtime folder (it holds a "kestrival" folder of ours)
    std::string shared;   // a folder of ours in the shared temporary folder
    std::string home;     // the home folder (".cache/kestrival" in it)
    // /run/user/<uid>, /tmp/kestrival-<uid> and the home the user database gives.
    static PrivateFolders OfThisUser();
};

class InstanceLock {
public:
    // Claims the settings file for this run. Nothing when another gadget of this user holds it
    // (also one of an earlier version, whose lock stood beside the file): that gadget has been
    // asked to come forward, or did not answer within `patience` (it may be closing: then this
    // start takes the lock instead, if it comes free in that time). Where no private folder can
    // be had, the gadget runs unguarded.
    static std::unique_ptr<InstanceLock> Claim(const std::u16string& settingFile,
                                               std::chrono::milliseconds patience = std::chrono::seconds(5),
                                               const PrivateFolders& folders = PrivateFolders::OfThisUser());
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The listening socket through which later starts ask this gadget to come forward, readable
    // while a request waits; -1 when there is none.
    int RequestSocket() const { return listener_; }
    // Answers every waiting request; true when any came from this user.
    bool TakeRequests();

    // Where the lock and the socket are, for the tests; empty when the run is unguarded.
    const std::string& LockFile() const { return lockFile_; }
    const std::string& SocketPath() const { return socketPath_; }

private:
    InstanceLock() = default;
    bool Lock(const std::string& lockFile, std::chrono::steady_clock::time_point deadline);
    bool OpenChannel(const std::string& folder, const std::string& name);
    void Publish();

    std::string lockFile_;
    int lockFd_ = -1;
    int folderFd_ = -1;  // a shared flock on the lock's folder keeps temporary-file cleaners out
    int listener_ = -1;
    std::string socketPath_;
    std::uint64_t socketInode_ = 0;
    std::string madeFolder_;  // the folder made for this run's socket, removed at exit
};

}  // namespace kestrival
