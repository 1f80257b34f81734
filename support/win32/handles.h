#pragma once
// Owners of the Windows handles outside GDI (those are in gdi_handles.h): kernel handles, a
// paint pass, a window, a registry key. Each releases its handle once, when it goes; the movable
// ones are move-only, so no handle is ever released twice.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>

namespace kestrival {

// Files, mutexes, sections, processes (CloseHandle) and find searches (FindClose). Both of the
// system's "no handle" values (null and INVALID_HANDLE_VALUE) count as empty.
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

// One WM_PAINT pass: BeginPaint now, EndPaint when the scope ends.
class PaintScope {
public:
    explicit PaintScope(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
    ~PaintScope() { ::EndPaint(window_, &paint_); }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC dc() const { return dc_; }
    const RECT& area() const { return paint_.rcPaint; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// A window this program made and destroys when its owner goes.
class OwnedWindow {
public:
    OwnedWindow() = default;
    explicit OwnedWindow(HWND window) : window_(window) {}
    ~OwnedWindow() { reset(); }
    OwnedWindow(OwnedWindow&& other) noexcept : window_(std::exchange(other.window_, nullptr)) {}
    OwnedWindow& operator=(OwnedWindow&& other) noexcept {
        if (this != &other) {
            reset();
            window_ = std::exchange(other.window_, nullptr);
        }
        return *this;
    }
    OwnedWindow(const OwnedWindow&) = delete;
    OwnedWindow& operator=(const OwnedWindow&) = delete;

    HWND get() const { return window_; }
    explicit operator bool() const { return window_ != nullptr; }
    void reset() {
        if (window_) ::DestroyWindow(std::exchange(window_, nullptr));
    }

private:
    HWND window_ = nullptr;
};

// An open registry key, closed when the object goes.
class RegistryKey {
public:
    RegistryKey() = default;
    // Takes a key already open.
    explicit RegistryKey(HKEY key) : key_(key) {}
    // Opened for reading; empty when it does not exist.
    RegistryKey(HKEY parent, const wchar_t* path, REGSAM access = KEY_QUERY_VALUE) {
        if (::RegOpenKeyExW(parent, path, 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~RegistryKey() {
        if (key_) ::RegCloseKey(key_);
    }
    RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        if (this != &other) {
            if (key_) ::RegCloseKey(key_);
            key_ = std::exchange(other.key_, nullptr);
        }
        return *this;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    // A text value (plain or with %variables%, expanded); nothing for another type or none.
    std::optional<std::wstring> Text(const wchar_t* name) const;

private:
    HKEY key_ = nullptr;
};

}  // namespace kestrival
