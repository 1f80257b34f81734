#include "app/win32/instance_lock.h"

#include <optional>
#include <vector>

#include "app/win32/lock_file_security.h"
#include "settings/execute_setting.h"
#include "support/win32/wide_text.h"

namespace kestrival {
namespace {

std::wstring FullPath(const std::wstring& path) {
    std::vector<wchar_t> full(MAX_PATH);
    DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length + 1);
        length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    return length > 0 && length < full.size() ? std::wstring(full.data(), length) : path;
}

std::wstring Upper(std::wstring text) {
    if (!text.empty()) ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

// The folder's volume serial number and file index, which every way of reaching the folder shares.
std::optional<FileIdentity> IdentityOf(const std::wstring& fullPath) {
    const std::size_t slash = fullPath.find_last_of(L"\\/");
    if (slash == std::wstring::npos) return {};
    const std::wstring folder = fullPath.substr(0, slash + 1);
    // Backup semantics open a folder; reading its attributes needs no other right.
    UniqueHandle handle(::CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!handle || !::GetFileInformationByHandle(handle.get(), &info)) return {};
    const std::uint64_t index = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
    return FileIdentity{info.dwVolumeSerialNumber, index, FromWide(Upper(fullPath.substr(slash + 1)))};
}

// A virus scanner or an indexer may hold the lock file for a moment; only a gadget holds it for
// longer than this.
constexpr DWORD kLockFileWaitMs = 2000;
constexpr DWORD kLockFilePauseMs = 50;

// Whether the lock file at `path`, held by someone, could only be held by this user: its list is
// read without opening its data, which the holder's lack of sharing would refuse.
bool HeldByThisUserAlone(const std::wstring& path, const LockFileSecurity& security) {
    const UniqueHandle file(::CreateFileW(path.c_str(), READ_CONTROL,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    return file && security.OnlyThisUserMayOpen(file.get());
}

struct LockFile {
    UniqueHandle file;          // held open without sharing
    bool heldByGadget = false;  // another gadget of this user holds it
};

// The lock file, held open without sharing. A held one tells of another gadget only when nobody
// else could be holding it; one that others may open proves nothing and the gadget runs without it.
LockFile OpenLockFile(const std::wstring& path, LockFileSecurity& security) {
    const DWORD started = ::GetTickCount();
    for (;;) {
        UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL, 0, security.ForNewFile(),
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file || ::GetLastError() != ERROR_SHARING_VIOLATION) return {std::move(file), false};
        if (!HeldByThisUserAlone(path, security)) return {};
        if (::GetTickCount() - started >= kLockFileWaitMs) return {{}, true};
        ::Sleep(kLockFilePauseMs);
    }
}

UINT ShowRequestMessage() {
    static const UINT message = ::RegisterWindowMessageW(L"Kestrival-ShowGadget");
    return message;
}

}  // namespace

std::uint64_t InstanceKeyOf(const std::u16string& settingFile) {
    const std::wstring full = FullPath(Wide(settingFile));
    if (const auto identity = IdentityOf(full)) return InstanceKey(*identity);
    return InstanceKey(FromWide(Upper(full)));
}

std::unique_ptr<InstanceLock> InstanceLock::Acquire(std::uint64_t key, const std::u16string& settingFile) {
    UniqueHandle mutex(::CreateMutexW(nullptr, FALSE, Wide(InstanceLockName(key)).c_str()));
    if (mutex && ::GetLastError() == ERROR_ALREADY_EXISTS) return nullptr;
    // Held open without sharing for the whole run and never deleted: a deleted name could be
    // made again by a start that then would not see this one. Every spelling of the settings
    // file's path reaches this one file. A link put in its place is opened as the link itself.
    const std::wstring path = Wide(settingFile + u".lock");
    LockFileSecurity security;
    LockFile lock = OpenLockFile(path, security);
    if (lock.heldByGadget) return nullptr;
    // One that others may open (an earlier version's, or made where the folder lets others in)
    // is closed to them now, so that the next start can trust it.
    if (lock.file && !security.OnlyThisUserMayOpen(lock.file.get())) security.CloseToOthers(path);
    return std::unique_ptr<InstanceLock>(new InstanceLock(std::move(mutex), std::move(lock.file)));
}

void ShowRunningGadget(std::uint64_t key) {
    ::AllowSetForegroundWindow(ASFW_ANY);
    ::PostMessageW(HWND_BROADCAST, ShowRequestMessage(), static_cast<WPARAM>(key & 0xFFFFFFFFu),
                   static_cast<LPARAM>(key >> 32));
}

bool IsShowRequest(UINT message, WPARAM wParam, LPARAM lParam, std::uint64_t key) {
    if (message != ShowRequestMessage() || message == 0) return false;
    const std::uint64_t low = static_cast<std::uint32_t>(wParam);
    const std::uint64_t high = static_cast<std::uint32_t>(lParam);
    return ((high << 32) | low) == key;
}

}  // namespace kestrival
