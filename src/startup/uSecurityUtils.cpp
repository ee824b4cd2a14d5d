#include "startup/uSecurityUtils.h"
#include "win32/uHandle.h"
#include "win32/uSystemLibrary.h"
#include "win32/uWindowsVersion.h"
#include <shellapi.h>
#include <cstring>
#include <memory>

namespace {

const char* const SecurityFunctionNames[17] = {
    "OpenProcessToken", "GetTokenInformation", "LookupAccountNameA", "GetFileSecurityA",
    "InitializeSecurityDescriptor", "GetSecurityDescriptorDacl", "GetAclInformation", "InitializeAcl",
    "GetAce", "EqualSid", "AddAce", "AddAccessAllowedAce", "SetSecurityDescriptorDacl",
    "GetSecurityDescriptorControl", "SetSecurityDescriptorControl", "CreateRestrictedToken",
    "ConvertSidToStringSidA",
};
enum { fnOpenProcessToken = 0, fnGetTokenInformation = 1, fnLookupAccountNameA = 2, fnConvertSidToStringSidA = 16 };

// The library handle and the address table, from the first binding to the end of the program.
TSystemLibrary Advapi;
FARPROC SecurityFunctions[17] = {};

using TOpenProcessToken = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using TGetTokenInformation = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
using TLookupAccountNameA = BOOL(WINAPI*)(LPCSTR, LPCSTR, PSID, LPDWORD, LPSTR, LPDWORD, PSID_NAME_USE);
using TConvertSidToStringSidA = BOOL(WINAPI*)(PSID, LPSTR*);

template <typename F> F Fn(int index) { return reinterpret_cast<F>(reinterpret_cast<void*>(SecurityFunctions[index])); }

}  // namespace

bool ResolveSecurityFunctions(HMODULE library) {
    FARPROC table[17] = {};
    if (library)
        for (int i = 0; i < 17; ++i)
            if (!(table[i] = GetProcAddress(library, SecurityFunctionNames[i]))) {
                library = nullptr;
                break;
            }
    for (int i = 0; i < 17; ++i) SecurityFunctions[i] = library ? table[i] : nullptr;
    return library != nullptr;
}

bool BindSecurityFunctions() {
    if (!Advapi.Loaded() && !Advapi.Load("advapi32.dll")) return false;
    for (FARPROC f : SecurityFunctions)
        if (!f) return ResolveSecurityFunctions(Advapi.Handle());
    return true;
}

void UnbindSecurityFunctions() {
    ResolveSecurityFunctions(nullptr);
    Advapi.Free();
}

bool GetCurrentUserAccount(std::string& domain, std::string& accountName) {
    domain.clear();
    accountName.clear();
    if (!BindSecurityFunctions()) return false;
    alignas(8) char tokenInfo[260];
    char name[260], domainName[260];
    DWORD nameLength = sizeof name, domainLength = sizeof domainName;
    {
        THandle token;
        if (!Fn<TOpenProcessToken>(fnOpenProcessToken)(GetCurrentProcess(), TOKEN_READ, token.Receive())) return false;
        DWORD returned = 0;
        if (!Fn<TGetTokenInformation>(fnGetTokenInformation)(token.Get(), TokenUser, tokenInfo, sizeof tokenInfo,
                                                              &returned))
            return false;
    }
    SID_NAME_USE use;
    auto* user = reinterpret_cast<TOKEN_USER*>(tokenInfo);
    if (LookupAccountSidA(nullptr, user->User.Sid, name, &nameLength, domainName, &domainLength, &use)) {
        // Wine's ANSI call counts the terminator in the lengths it returns: cut at the NUL, or
        // the name never equals the one the relaunch passed on.
        if (nameLength < sizeof name) accountName.assign(name, strnlen(name, nameLength));
        if (domainLength < sizeof domainName) domain.assign(domainName, strnlen(domainName, domainLength));
    }
    return !accountName.empty() && !domain.empty();
}

std::string GetAccountSidString(const std::string& domain, const std::string& accountName) {
    if (!BindSecurityFunctions() || accountName.empty()) return std::string();
    auto lookup = Fn<TLookupAccountNameA>(fnLookupAccountNameA);
    std::string domainBuffer = domain;
    DWORD sidSize = 0;
    DWORD domainSize = static_cast<DWORD>(domainBuffer.size());
    SID_NAME_USE use;
    lookup(nullptr, accountName.c_str(), nullptr, &sidSize, domainBuffer.empty() ? nullptr : &domainBuffer[0],
           &domainSize, &use);
    if (sidSize == 0) return std::string();
    // The reported domain size counts the terminator; keep room for it.
    domainBuffer.assign(domainSize + 1, '\0');
    domainSize = static_cast<DWORD>(domainBuffer.size());
    std::unique_ptr<char[]> sid(new char[sidSize]);
    if (!lookup(nullptr, accountName.c_str(), sid.get(), &sidSize, &domainBuffer[0], &domainSize, &use))
        return std::string();
    std::string result;
    char* text = nullptr;
    if (Fn<TConvertSidToStringSidA>(fnConvertSidToStringSidA)(sid.get(), &text) && text) {
        result = text;
        LocalFree(text);
    }
    return result;
}

std::string RunAsAdminCommandLine(const std::string& executable, const std::string& parameters) {
    return "\"" + executable + "\" " + parameters;
}

bool RunAsAdmin(const std::string& executable, const std::string& parameters) {
    if (WindowsVersion().Major >= 6) {
        SHELLEXECUTEINFOA info = {};
        info.cbSize = sizeof info;  // 60 bytes in a 32-bit program
        info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_FLAG_DDEWAIT;
        info.lpVerb = "runas";
        info.lpFile = executable.c_str();
        info.lpParameters = parameters.c_str();
        info.nShow = SW_SHOWNORMAL;
        return ShellExecuteExA(&info) != FALSE;
    }
    return WinExec(RunAsAdminCommandLine(executable, parameters).c_str(), SW_SHOWNORMAL) > 31;
}
