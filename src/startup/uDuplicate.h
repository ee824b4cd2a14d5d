// The test whether the screensaver being installed is running: it holds a named mutex.
#pragma once
#include <string>

// False when a mutex of that name exists; otherwise creates it, keeps it and returns true.
bool CheckDuplicate(const char* name);
inline bool CheckDuplicate(const std::string& name) { return CheckDuplicate(name.c_str()); }
void ReleaseDuplicate();
// Whether a mutex of that name exists, without creating or keeping it.
bool MutexExists(const char* name);
inline bool MutexExists(const std::string& name) { return MutexExists(name.c_str()); }
