#include "app/win32/instance_lock.h"

#include <vector>

#include "settings/execute_setting.h"

namespace kestrival {

std::unique_ptr<InstanceLock> InstanceLock::Acquire(const std::u16string& settingFile) {
    // The same file reached by another spelling (letter case, "..", a relative program path)
    // must give the same name.
    const std::wstring path(settingFile.begin(), settingFile.end());
    std::vector<wchar_t> full(MAX_PATH);
    DWORD length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (length >= full.size()) {
        full.resize(length + 1);
        length = ::GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    }
    std::wstring normalised = length > 0 && length < full.size() ? std::wstring(full.data(), length) : path;
    if (!normalised.empty()) ::CharUpperBuffW(normalised.data(), static_cast<DWORD>(normalised.size()));
    const std::u16string name = InstanceLockName(std::u16string(normalised.begin(), normalised.end()));
    HANDLE mutex = ::CreateMutexW(nullptr, FALSE, std::wstring(name.begin(), name.end()).c_str());
    if (mutex == nullptr) return std::unique_ptr<InstanceLock>(new InstanceLock(nullptr));
    if (::GetLastError() == ERROR_ALREADY_EXISTS) {
        ::CloseHandle(mutex);
        return nullptr;
    }
    return std::unique_ptr<InstanceLock>(new InstanceLock(mutex));
}

InstanceLock::~InstanceLock() {
    if (mutex_ != nullptr) ::CloseHandle(mutex_);
}

}  // namespace kestrival
