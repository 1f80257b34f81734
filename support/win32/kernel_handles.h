#pragma once
// Owners of kernel handles: files, mutexes, sections, processes (CloseHandle) and find searches
// (FindClose). Move-only, so no handle is ever closed twice. Both of the system's "no handle"
// values (null and INVALID_HANDLE_VALUE) count as empty.
#include <windows.h>

#include <utility>

namespace kestrival {

template <BOOL(WINAPI* CloseFunction)(HANDLE)>
class KernelHandle {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : handle_(handle) {}
    ~KernelHandle() { reset(); }
    KernelHandle(KernelHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    KernelHandle& operator=(KernelHandle&& other) noexcept {
        if (this != &other) {
            reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    KernelHandle(const KernelHandle&) = delete;
    KernelHandle& operator=(const KernelHandle&) = delete;

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    explicit operator bool() const { return valid(); }
    // Closes now and tells whether the system accepted it: a file's last writes can fail here.
    bool Close() {
        const bool closed = valid() && CloseFunction(std::exchange(handle_, nullptr));
        handle_ = nullptr;
        return closed;
    }
    void reset() {
        if (valid()) CloseFunction(handle_);
        handle_ = nullptr;
    }

private:
    HANDLE handle_ = nullptr;
};

using UniqueHandle = KernelHandle<::CloseHandle>;
using FindHandle = KernelHandle<::FindClose>;

}  // namespace kestrival
