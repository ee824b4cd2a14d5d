#include "startup/uAdministrator.h"
#include "win32/uHandle.h"
#include "win32/uSystemLibrary.h"
#include "win32/uWindowsVersion.h"
#include <memory>

namespace {
struct TSid {
    PSID Value = nullptr;
    ~TSid() { if (Value) FreeSid(Value); }
};
}  // namespace

bool IsAdministrator() { return IsAdministrator(WindowsVersion().Platform); }

bool IsAdministrator(DWORD platformId) {
    if (platformId != VER_PLATFORM_WIN32_NT) return true;
    THandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return false;
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenGroups, nullptr, 0, &size);
    if (size < sizeof(TOKEN_GROUPS)) return false;
    std::unique_ptr<DWORD[]> groupBuffer(new DWORD[(size + sizeof(DWORD) - 1) / sizeof(DWORD)]);
    if (!GetTokenInformation(token.Get(), TokenGroups, groupBuffer.get(), size, &size)) return false;
    TSid administrators;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (!AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators.Value))
        return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(groupBuffer.get());
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, administrators.Value)) return true;
    // Not listed: let the system decide (a token whose membership is held elsewhere).
    TSystemLibrary advapi("advapi32.dll");
    using TCheckTokenMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    auto check = advapi.Proc<TCheckTokenMembership>("CheckTokenMembership");
    BOOL member = FALSE;
    return check && check(nullptr, administrators.Value, &member) && member;
}

bool IsElevated() {
    THandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.Receive())) return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    // Systems before 6.0 do not know the information class and fail the call.
    if (GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size))
        return elevation.TokenIsElevated != 0;
    return IsAdministrator();
}
