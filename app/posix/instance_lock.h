#pragma once
// One gadget per settings file on Linux, whatever the environment of each start, and no way in
// for other users of the machine.
//
// The lock is an flock on a file in each folder of this user's that nobody else may enter, of the
// runtime folder logind makes for the user, /tmp/kestrival-<uid> and a folder under the home's
// cache; a start runs only when it holds every one it could reach. The folders are found from the
// user's identity, never from the environment, and whichever of them comes or goes between two
// starts (the runtime folder appears at the first login, another user may take the shared name
// first), two starts still meet at any folder both reach, the home's cache in the end. So a start
// from a terminal, at login, through su or cron meets the running gadget. The lock file is named
// by the device and inode of the settings file's folder (reached through the path's links) and
// the rest of the path, so every spelling of one file meets one lock, and the settings folder (a
// synced folder, a folder others share) holds no lock file that anyone could replace, delete,
// open or hold. A link of another user is never followed to name it. The holder removes its lock
// file as it ends; a start checks after locking that the name still leads to the file it locked.
//
// The way to reach the running gadget is a local socket beside each lock, or where that name is
// too long for a socket, in a folder made for this run under /tmp with a name nobody can guess.
// The lock's holder writes the socket's path into each lock file once the socket listens, so a
// start finds the gadget through whichever lock it meets, even after another folder went. A later
// start trusts that path only in a folder of its own that others cannot enter, and only to a
// listener of its own user (the socket's peer credentials). No process is ever signalled.
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace kestrival {

// Where this user's locks may stand, in the order taken. Each must be a folder of this user's
// with no rights for anyone else, checked without following a link.
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

    // A descriptor that is readable while a later start waits on one of the sockets through which
    // it asks this gadget to come forward; -1 when there is none.
    int RequestSocket() const { return requests_; }
    // Answers every waiting request; true when any came from this user.
    bool TakeRequests();

    // Where the locks and the sockets are, for the tests; empty when the run is unguarded. The
    // first lock and its socket stand in the first private folder there is.
    const std::string& LockFile() const { return held_.empty() ? none_ : held_.front().lockFile; }
    const std::string& SocketPath() const { return held_.empty() ? none_ : held_.front().channel.socketPath; }
    std::vector<std::string> LockFiles() const;

private:
    // A listening socket this run made.
    struct Channel {
        int listener = -1;
        std::string socketPath;
        std::uint64_t socketInode = 0;
        void Close();
    };
    struct Held {
        std::string folder;
        std::string lockFile;
        int lockFd = -1;
        int folderFd = -1;  // a shared flock on the lock's folder keeps temporary-file cleaners out
        Channel channel;    // the socket beside the lock, when its name is short enough
    };

    InstanceLock() = default;
    void OpenChannels(const std::string& name);
    void Watch(int listener);
    void Publish();

    std::vector<Held> held_;
    int requests_ = -1;       // readable while any socket has a request waiting
    Channel madeSocket_;      // the socket for locks whose own socket name is too long
    std::string madeFolder_;  // the folder made for it, removed at exit
    const std::string none_;
};

}  // namespace kestrival
