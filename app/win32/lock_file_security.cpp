#include "app/win32/lock_file_security.h"

#include <aclapi.h>

#include "support/win32/handles.h"

namespace kestrival {
namespace {

class LocalMemory {
public:
    explicit LocalMemory(void* memory) : memory_(memory) {}
    ~LocalMemory() {
        if (memory_) ::LocalFree(memory_);
    }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;

private:
    void* memory_;
};

}  // namespace

LockFileSecurity::LockFileSecurity() {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return;
    const UniqueHandle ownedToken(token);
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0) return;
    std::vector<BYTE> user(size);
    if (!::GetTokenInformation(token, TokenUser, user.data(), size, &size)) return;
    const PSID sid = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    const DWORD aclSize =
        static_cast<DWORD>(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) + ::GetLengthSid(sid);
    std::vector<BYTE> acl(aclSize);
    const PACL list = reinterpret_cast<PACL>(acl.data());
    if (!::InitializeAcl(list, aclSize, ACL_REVISION) ||
        !::AddAccessAllowedAce(list, ACL_REVISION, FILE_ALL_ACCESS, sid) ||
        !::InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !::SetSecurityDescriptorDacl(&descriptor_, TRUE, list, FALSE) ||
        // Protected: the folder's inheritable entries (a shared folder's "Users" or "Everyone")
        // stay off the file.
        !::SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
        return;
    }
    user_ = std::move(user);
    acl_ = std::move(acl);  // a vector's move keeps its buffer, which the descriptor points to
    attributes_ = {sizeof attributes_, &descriptor_, FALSE};
}

SECURITY_ATTRIBUTES* LockFileSecurity::ForNewFile() { return user_.empty() ? nullptr : &attributes_; }

PSID LockFileSecurity::User() const { return reinterpret_cast<const TOKEN_USER*>(user_.data())->User.Sid; }

bool LockFileSecurity::MayOpenEveryFile(PSID sid) const {
    return ::EqualSid(sid, User()) || ::IsWellKnownSid(sid, WinLocalSystemSid) ||
           ::IsWellKnownSid(sid, WinBuiltinAdministratorsSid);
}

bool LockFileSecurity::OnlyThisUserMayOpen(HANDLE file) const {
    if (user_.empty()) return false;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner, nullptr,
                          &dacl, nullptr, &descriptor) != ERROR_SUCCESS) {
        return false;
    }
    const LocalMemory ownedDescriptor(descriptor);
    // No list at all lets everyone in; the owner may always change the list.
    if (!dacl || !owner || !MayOpenEveryFile(owner)) return false;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* entry = nullptr;
        if (!::GetAce(dacl, i, &entry)) return false;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceFlags & INHERIT_ONLY_ACE) continue;  // for a folder's children, not this file
        if (header->AceType == ACCESS_DENIED_ACE_TYPE) continue;
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) return false;  // a kind this check cannot judge
        if (!MayOpenEveryFile(&static_cast<ACCESS_ALLOWED_ACE*>(entry)->SidStart)) return false;
    }
    return true;
}

bool LockFileSecurity::CloseToOthers(const std::wstring& path) {
    if (user_.empty()) return false;
    // Only the list changes: no data is opened, so the handle this run holds without sharing
    // does not stand in the way.
    const UniqueHandle file(::CreateFileW(path.c_str(), WRITE_DAC | READ_CONTROL,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return false;
    // The descriptor as it is: its list is protected, so nothing of the folder's is merged in.
    if (!::SetKernelObjectSecurity(file.get(), DACL_SECURITY_INFORMATION, &descriptor_)) return false;
    return OnlyThisUserMayOpen(file.get());
}

}  // namespace kestrival
