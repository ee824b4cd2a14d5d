// A named mutex, opened or created by name and closed when the object goes.
#pragma once
#include "win32/uHandle.h"
#include <windows.h>

class TMutex {
public:
    TMutex() = default;
    TMutex(TMutex&&) = default;
    TMutex& operator=(TMutex&&) = default;

    // An existing mutex of that name; false when there is none or the access is refused
    // (LastError tells which).
    bool Open(const char* name, DWORD access) {
        *FHandle.Receive() = OpenMutexA(access, FALSE, name);
        FError = FHandle.Valid() ? 0 : GetLastError();
        return FHandle.Valid();
    }
    // A mutex of that name, not owned; AlreadyExisted tells whether another process made it.
    bool Create(const char* name) {
        *FHandle.Receive() = CreateMutexA(nullptr, FALSE, name);
        FError = GetLastError();
        return FHandle.Valid();
    }
    bool AlreadyExisted() const { return FHandle.Valid() && FError == ERROR_ALREADY_EXISTS; }
    DWORD LastError() const { return FError; }
    bool Valid() const { return FHandle.Valid(); }
    // Fails harmlessly when this process does not own it.
    void Release() const { ReleaseMutex(FHandle.Get()); }
    void Close() { FHandle.Close(); }

private:
    THandle FHandle;
    DWORD FError = 0;
};
