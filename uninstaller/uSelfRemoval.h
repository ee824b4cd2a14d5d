// Removal of the running uninstaller's own file, which a process cannot delete while it runs.
//
// The uninstaller copies itself into a new folder below the temporary folder that only its user,
// SYSTEM and Administrators can use, and starts the copy with a handle of its own process and the
// original's path. The copy waits for that process to end, deletes the original (retrying while
// the first, non-elevated instance is still ending) and ends. The copy and its folder are
// scheduled for deletion at the next restart, as the running copy cannot delete itself either.
// Whatever step fails, the original is scheduled for deletion at the next restart instead.
#pragma once
#include "uninstaller/uUninstall.h"
#include <string>

// Called by the uninstaller once everything else is gone.
void RemoveSelf(const std::string& self);
// The copy's part: the handle and path it was given, and its own path. Deletes only a file that
// carries the same identifier block as the copy itself.
int FinishSelfRemoval(uintptr_t waitHandle, const std::string& original, const std::string& self);
