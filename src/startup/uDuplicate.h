// The test whether the screensaver being installed is running: it holds a named mutex.
#pragma once
#include <string>

// False when a mutex of that name exists; otherwise creates it, keeps it and returns true.
bool CheckDuplicate(const std::string& name);
void ReleaseDuplicate();
// Whether a mutex of that name exists, without creating or keeping it.
bool MutexExists(const std::string& name);
