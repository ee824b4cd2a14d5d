#include "win32/uSecurity.h"

namespace {
SID_IDENTIFIER_AUTHORITY NtAuthority = SECURITY_NT_AUTHORITY;
}

bool TSid::SetAdministrators() {
    if (FSid) FreeSid(FSid);
    FSid = nullptr;
    return AllocateAndInitializeSid(&NtAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0,
                                    0, 0, &FSid) != FALSE;
}

bool TSid::SetLocalSystem() {
    if (FSid) FreeSid(FSid);
    FSid = nullptr;
    return AllocateAndInitializeSid(&NtAuthority, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &FSid) != FALSE;
}

std::unique_ptr<DWORD[]> TProcessToken::Information(TOKEN_INFORMATION_CLASS what) const {
    DWORD size = 0;
    GetTokenInformation(FHandle.Get(), what, nullptr, 0, &size);
    if (size == 0) return nullptr;
    // DWORDs: the information holds pointers and identifiers that want their alignment.
    std::unique_ptr<DWORD[]> buffer(new DWORD[(size + sizeof(DWORD) - 1) / sizeof(DWORD)]);
    if (!GetTokenInformation(FHandle.Get(), what, buffer.get(), size, &size)) return nullptr;
    return buffer;
}
