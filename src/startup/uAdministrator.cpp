#include "startup/uAdministrator.h"
#include "win32/uSecurity.h"
#include "win32/uSystemLibrary.h"
#include "win32/uWindowsVersion.h"

bool IsAdministrator() { return IsAdministrator(WindowsVersion().Platform); }

bool IsAdministrator(DWORD platformId) {
    if (platformId != VER_PLATFORM_WIN32_NT) return true;
    TProcessToken token;
    if (!token.Open(TOKEN_QUERY)) return false;
    const auto buffer = token.Information(TokenGroups);
    TSid administrators;
    if (!buffer || !administrators.SetAdministrators()) return false;
    const auto* groups = reinterpret_cast<const TOKEN_GROUPS*>(buffer.get());
    for (DWORD i = 0; i < groups->GroupCount; ++i)
        if (EqualSid(groups->Groups[i].Sid, administrators.Get())) return true;
    // Not listed: let the system decide (a token whose membership is held elsewhere).
    TSystemLibrary advapi("advapi32.dll");
    using TCheckTokenMembership = BOOL(WINAPI*)(HANDLE, PSID, PBOOL);
    auto check = advapi.Proc<TCheckTokenMembership>("CheckTokenMembership");
    BOOL member = FALSE;
    return check && check(nullptr, administrators.Get(), &member) && member;
}

bool IsElevated() {
    TProcessToken token;
    if (!token.Open(TOKEN_QUERY)) return false;
    TOKEN_ELEVATION elevation = {};
    DWORD size = 0;
    // Systems before 6.0 do not know the information class and fail the call.
    if (GetTokenInformation(token.Get(), TokenElevation, &elevation, sizeof elevation, &size))
        return elevation.TokenIsElevated != 0;
    return IsAdministrator();
}
