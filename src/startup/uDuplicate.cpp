#include "startup/uDuplicate.h"
#include <windows.h>

namespace {
HANDLE DuplicateMutex = nullptr;
}

bool CheckDuplicate(const char* name) {
    ReleaseDuplicate();  // a second call must not leak the handle of the first
    HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name);
    if (existing) {
        ReleaseMutex(existing);  // fails harmlessly: this process never owned it
        CloseHandle(existing);
        return false;
    }
    HANDLE created = CreateMutexA(nullptr, FALSE, name);
    if (created && GetLastError() == ERROR_ALREADY_EXISTS) {
        // It appeared between the two calls (or could not be opened with full access).
        CloseHandle(created);
        return false;
    }
    DuplicateMutex = created;
    return DuplicateMutex != nullptr;
}

void ReleaseDuplicate() {
    if (DuplicateMutex) {
        ReleaseMutex(DuplicateMutex);
        CloseHandle(DuplicateMutex);
        DuplicateMutex = nullptr;
    }
}

bool MutexExists(const char* name) {
    HANDLE existing = OpenMutexA(SYNCHRONIZE, FALSE, name);
    if (existing) {
        CloseHandle(existing);
        return true;
    }
    // One made by another account may refuse even this access; it exists all the same.
    return GetLastError() == ERROR_ACCESS_DENIED;
}
