#include "startup/uSecurityUtils.h"
#include "win32/uHandle.h"
#include "win32/uSecurity.h"
#include "win32/uSystemLibrary.h"
#include "win32/uWindowsVersion.h"
#include <shellapi.h>
#include <cstring>
#include <memory>

namespace {

// The entry points bound at run time, all or none.
struct TSecurityFunctions {
    BOOL(WINAPI* LookupAccountNameA)(LPCSTR, LPCSTR, PSID, LPDWORD, LPSTR, LPDWORD, PSID_NAME_USE) = nullptr;
    BOOL(WINAPI* ConvertSidToStringSidA)(PSID, LPSTR*) = nullptr;
    BOOL(WINAPI* InitializeSecurityDescriptor)(PSECURITY_DESCRIPTOR, DWORD) = nullptr;
    BOOL(WINAPI* InitializeAcl)(PACL, DWORD, DWORD) = nullptr;
    BOOL(WINAPI* GetAce)(PACL, DWORD, LPVOID*) = nullptr;
    BOOL(WINAPI* AddAccessAllowedAce)(PACL, DWORD, DWORD, PSID) = nullptr;
    BOOL(WINAPI* SetSecurityDescriptorDacl)(PSECURITY_DESCRIPTOR, BOOL, PACL, BOOL) = nullptr;
    BOOL(WINAPI* SetSecurityDescriptorControl)(PSECURITY_DESCRIPTOR, SECURITY_DESCRIPTOR_CONTROL,
                                               SECURITY_DESCRIPTOR_CONTROL) = nullptr;
};

// The library handle and the entry points, from the first binding to the end of the program.
TSystemLibrary Advapi;
TSecurityFunctions Security;
bool SecurityBound = false;

// The user of the process token into a buffer of 260 bytes (a TOKEN_USER).
bool ReadTokenUser(void* buffer) {
    TProcessToken token;
    DWORD returned = 0;
    return token.Open(TOKEN_READ) && GetTokenInformation(token.Get(), TokenUser, buffer, 260, &returned);
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
    TSecurityFunctions f;
    SecurityBound = BindProc(library, f.LookupAccountNameA, "LookupAccountNameA") &&
                    BindProc(library, f.ConvertSidToStringSidA, "ConvertSidToStringSidA") &&
                    BindProc(library, f.InitializeSecurityDescriptor, "InitializeSecurityDescriptor") &&
                    BindProc(library, f.InitializeAcl, "InitializeAcl") && BindProc(library, f.GetAce, "GetAce") &&
                    BindProc(library, f.AddAccessAllowedAce, "AddAccessAllowedAce") &&
                    BindProc(library, f.SetSecurityDescriptorDacl, "SetSecurityDescriptorDacl") &&
                    BindProc(library, f.SetSecurityDescriptorControl, "SetSecurityDescriptorControl");
    Security = SecurityBound ? f : TSecurityFunctions();
    return SecurityBound;
}

bool BindSecurityFunctions() {
    if (!Advapi.Loaded() && !Advapi.Load("advapi32.dll")) return false;
    return SecurityBound || ResolveSecurityFunctions(Advapi.Handle());
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
    auto lookup = Security.LookupAccountNameA;
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
    if (Security.ConvertSidToStringSidA(sid.get(), &text) && text) {
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
    if (!ReadTokenUser(user) || !system.SetLocalSystem() || !administrators.SetAdministrators()) return false;
    const PSID owners[3] = {reinterpret_cast<TOKEN_USER*>(user)->User.Sid, system.Get(), administrators.Get()};
    alignas(8) char aclBuffer[512];  // room for three entries of the largest identifier
    auto* acl = reinterpret_cast<PACL>(aclBuffer);
    if (!Security.InitializeAcl(acl, sizeof aclBuffer, ACL_REVISION)) return false;
    for (DWORD i = 0; i < 3; ++i) {
        void* ace = nullptr;
        if (!Security.AddAccessAllowedAce(acl, ACL_REVISION, FILE_ALL_ACCESS, owners[i]) ||
            !Security.GetAce(acl, i, &ace))
            return false;
        // The files made inside get the same entries.
        static_cast<ACE_HEADER*>(ace)->AceFlags = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    }
    SECURITY_DESCRIPTOR descriptor;
    if (!Security.InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !Security.SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
        !Security.SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED,
                                                                            SE_DACL_PROTECTED))
        return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, &descriptor, FALSE};
    return CreateDirectoryA(path.c_str(), &attributes) != FALSE;
}
