#pragma once
// One gadget per settings file: a named mutex derived from the file's identity, held for the whole
// run. A second start with the same file finds it taken, brings the running gadget to the user's
// eyes and ends before touching the file. A session's names are its own, so the gadget also holds
// "<settings file>.lock" open without sharing: a gadget of another session (fast user switching,
// a terminal server) or of another computer on a shared folder keeps a second one off the file.
// The lock file is this user's alone (lock_file_security.h), so no other user can hold it.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "support/win32/handles.h"

namespace kestrival {

// The key of the file's one gadget: the same for every spelling of its path (another drive
// letter, a short name, letter case, ".."). Where the file's folder cannot be opened the full
// path names it.
std::uint64_t InstanceKeyOf(const std::u16string& settingFile);

class InstanceLock {
public:
    // The lock for `settingFile`, whose key is `key`, or nothing when another running gadget holds
    // it. Where the mutex or the lock file cannot be made at all, the gadget runs without that
    // guard, as before it existed.
    static std::unique_ptr<InstanceLock> Acquire(std::uint64_t key, const std::u16string& settingFile);

private:
    InstanceLock(UniqueHandle mutex, UniqueHandle file) : mutex_(std::move(mutex)), file_(std::move(file)) {}
    UniqueHandle mutex_;
    UniqueHandle file_;
};

// Asks the gadget that holds `key` to show itself and come forward; the caller, which the user
// just started, passes on its right to take the foreground.
void ShowRunningGadget(std::uint64_t key);
// Whether a window message is that request for the gadget of `key`.
bool IsShowRequest(UINT message, WPARAM wParam, LPARAM lParam, std::uint64_t key);

}  // namespace kestrival
