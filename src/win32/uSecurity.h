// Security identifiers and the process token. TSid owns an identifier the system allocated;
// TProcessToken owns the process's token handle.
#pragma once
#include "win32/uHandle.h"
#include <windows.h>
#include <memory>

class TSid {
public:
    TSid() = default;
    ~TSid() { if (FSid) FreeSid(FSid); }
    TSid(const TSid&) = delete;
    TSid& operator=(const TSid&) = delete;

    // The built-in Administrators group; the local system account.
    bool SetAdministrators();
    bool SetLocalSystem();
    PSID Get() const { return FSid; }

private:
    PSID FSid = nullptr;
};

class TProcessToken {
public:
    // The token of the running process, with that access.
    bool Open(DWORD access) { return OpenProcessToken(GetCurrentProcess(), access, FHandle.Receive()) != FALSE; }
    HANDLE Get() const { return FHandle.Get(); }
    // One class of the token's information, in a buffer of the size it needs; null on failure.
    std::unique_ptr<DWORD[]> Information(TOKEN_INFORMATION_CLASS what) const;

private:
    THandle FHandle;
};
