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
enum {
    fnOpenProcessToken = 0, fnGetTokenInformation = 1, fnLookupAccountNameA = 2, fnInitializeSecurityDescriptor = 4,
    fnInitializeAcl = 7, fnGetAce = 8, fnAddAccessAllowedAce = 11, fnSetSecurityDescriptorDacl = 12,
    fnSetSecurityDescriptorControl = 14, fnConvertSidToStringSidA = 16
};

// The library handle and the address table, from the first binding to the end of the program.
TSystemLibrary Advapi;
FARPROC SecurityFunctions[17] = {};

using TOpenProcessToken = BOOL(WINAPI*)(HANDLE, DWORD, PHANDLE);
using TGetTokenInformation = BOOL(WINAPI*)(HANDLE, TOKEN_INFORMATION_CLASS, LPVOID, DWORD, PDWORD);
using TLookupAccountNameA = BOOL(WINAPI*)(LPCSTR, LPCSTR, PSID, LPDWORD, LPSTR, LPDWORD, PSID_NAME_USE);
using TConvertSidToStringSidA = BOOL(WINAPI*)(PSID, LPSTR*);
using TInitializeSecurityDescriptor = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, DWORD);
using TInitializeAcl = BOOL(WINAPI*)(PACL, DWORD, DWORD);
using TGetAce = BOOL(WINAPI*)(PACL, DWORD, LPVOID*);
using TAddAccessAllowedAce = BOOL(WINAPI*)(PACL, DWORD, DWORD, PSID);
using TSetSecurityDescriptorDacl = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL);
using TSetSecurityDescriptorControl = BOOL(WINAPI*)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                                    SECURITY_DESCRIPTOR_CONTROL);

template <typename F> F Fn(int index) { return reinterpret_cast<F>(reinterpret_cast<void*>(SecurityFunctions[index])); }

struct TSid {
    PSID Value = nullptr;
    ~TSid() { if (Value) FreeSid(Value); }
};

// The user of the process token into a buffer of 260 bytes (a TOKEN_USER); the table is bound.
bool ReadTokenUser(void* buffer) {
    THandle token;
    DWORD returned = 0;
    return Fn<TOpenProcessToken>(fnOpenProcessToken)(GetCurrentProcess(), TOKEN_READ, token.Receive()) &&
           Fn<TGetTokenInformation>(fnGetTokenInformation)(token.Get(), TokenUser, buffer, 260, &returned);
}

bool ShellRunAs(const std::string& executable, const std::string& parameters, ULONG mask, HANDLE* process) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;  // 60 bytes in a 32-bit program
    info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_FLAG_DDEWAIT | mask;
    info.lpVerb = WindowsVersion().Major >= 6 ? "runas" : nullptr;
    info.lpFile = executable.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&info)) return false;
    if (process) *process = info.hProcess;
    return true;
}

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
    if (!ReadTokenUser(tokenInfo)) return false;
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
    if (WindowsVersion().Major >= 6) return ShellRunAs(executable, parameters, 0, nullptr);
    return WinExec(RunAsAdminCommandLine(executable, parameters).c_str(), SW_SHOWNORMAL) > 31;
}

bool RunAsAdminAndWait(const std::string& executable, const std::string& parameters, DWORD& exitCode) {
    exitCode = 0;
    HANDLE process = nullptr;
    if (!ShellRunAs(executable, parameters, SEE_MASK_NOCLOSEPROCESS, &process)) return false;
    if (!process) return false;  // started through DDE: nothing to wait for, no code to pass on
    THandle owned(process);
    return WaitForSingleObject(process, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process, &exitCode);
}

bool CreatePrivateDirectory(const std::string& path) {
    if (WindowsVersion().Platform != VER_PLATFORM_WIN32_NT) return CreateDirectoryA(path.c_str(), nullptr) != FALSE;
    if (!BindSecurityFunctions()) return false;
    alignas(8) char user[260];
    TSid system, administrators;
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    if (!ReadTokenUser(user) ||
        !AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system.Value) ||
        !AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                  &administrators.Value))
        return false;
    const PSID owners[3] = {reinterpret_cast<TOKEN_USER*>(user)->User.Sid, system.Value, administrators.Value};
    alignas(8) char aclBuffer[512];  // room for three entries of the largest identifier
    auto* acl = reinterpret_cast<PACL>(aclBuffer);
    if (!Fn<TInitializeAcl>(fnInitializeAcl)(acl, sizeof aclBuffer, ACL_REVISION)) return false;
    for (DWORD i = 0; i < 3; ++i) {
        void* ace = nullptr;
        if (!Fn<TAddAccessAllowedAce>(fnAddAccessAllowedAce)(acl, ACL_REVISION, FILE_ALL_ACCESS, owners[i]) ||
            !Fn<TGetAce>(fnGetAce)(acl, i, &ace))
            return false;
        // The files made inside get the same entries.
        static_cast<ACE_HEADER*>(ace)->AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    }
    SECURITY_DESCRIPTOR descriptor;
    if (!Fn<TInitializeSecurityDescriptor>(fnInitializeSecurityDescriptor)(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !Fn<TSetSecurityDescriptorDacl>(fnSetSecurityDescriptorDacl)(&descriptor, TRUE, acl, FALSE) ||
        !Fn<TSetSecurityDescriptorControl>(fnSetSecurityDescriptorControl)(&descriptor, SE_DACL_PROTECTED,
                                                                            SE_DACL_PROTECTED))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    return CreateDirectoryA(path.c_str(), &attributes) != FALSE;
}
