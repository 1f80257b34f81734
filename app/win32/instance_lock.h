#pragma once
// One gadget per settings file: a named mutex derived from the file's full path, held for the
// whole run. A second start with the same file finds it taken and ends before touching the file.
#include <windows.h>

#include <memory>
#include <string>

namespace kestrival {

class InstanceLock {
public:
    // The lock for `settingFile`, or nothing when another running gadget holds it. Where the
    // mutex cannot be made at all the gadget runs unguarded, as before this lock existed.
    static std::unique_ptr<InstanceLock> Acquire(const std::u16string& settingFile);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

private:
    explicit InstanceLock(HANDLE mutex) : mutex_(mutex) {}
    HANDLE mutex_;
};

}  // namespace kestrival
