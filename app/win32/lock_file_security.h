#pragma once
// Who may open the gadget's lock file on Windows. A lock file held open without sharing keeps a
// second gadget off the settings file only when nobody else can open it: another user who could
// would hold it and keep the gadget from ever starting. The lock file is made for this user alone,
// one that lets others in is closed to them while this run holds it, and a held lock file tells
// of another gadget only when no one else could be holding it.
#include <windows.h>

#include <string>
#include <vector>

namespace kestrival {

class LockFileSecurity {
public:
    // For the user this process runs as; a user whose identity cannot be read trusts no file.
    LockFileSecurity();
    LockFileSecurity(const LockFileSecurity&) = delete;
    LockFileSecurity& operator=(const LockFileSecurity&) = delete;

    // Attributes that give a new file to this user alone; null when the user is unknown.
    SECURITY_ATTRIBUTES* ForNewFile();
    // Whether nobody but this user may open the file, `file` opened with READ_CONTROL: its owner
    // and every entry that allows anything are this user, the system or the administrators (who
    // may open every file anyway).
    bool OnlyThisUserMayOpen(HANDLE file) const;
    // Gives the file at `path` this user's own entry alone, without the folder's; true when done.
    bool CloseToOthers(const std::wstring& path);

private:
    PSID User() const;
    bool MayOpenEveryFile(PSID sid) const;

    std::vector<BYTE> user_;  // TOKEN_USER
    std::vector<BYTE> acl_;
    SECURITY_DESCRIPTOR descriptor_{};
    SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace kestrival
