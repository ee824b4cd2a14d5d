#include "startup/uDuplicate.h"
#include "win32/uMutex.h"

namespace {
TMutex DuplicateMutex;
}

bool CheckDuplicate(const char* name) {
    ReleaseDuplicate();  // a second call must not leak the handle of the first
    TMutex existing;
    if (existing.Open(name, MUTEX_ALL_ACCESS)) {
        existing.Release();  // this process never owned it
        return false;
    }
    TMutex created;
    // It appeared between the two calls (or could not be opened with full access).
    if (!created.Create(name) || created.AlreadyExisted()) return false;
    DuplicateMutex = std::move(created);
    return true;
}

void ReleaseDuplicate() {
    if (!DuplicateMutex.Valid()) return;
    DuplicateMutex.Release();
    DuplicateMutex.Close();
}

bool MutexExists(const char* name) {
    TMutex existing;
    if (existing.Open(name, SYNCHRONIZE)) return true;
    // One made by another account may refuse even this access; it exists all the same.
    return existing.LastError() == ERROR_ACCESS_DENIED;
}
