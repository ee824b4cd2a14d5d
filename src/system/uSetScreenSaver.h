// Makes a screensaver file the active one of a user, and reads back which one is set.
#pragma once
#include "system/uUtils.h"
#include <windows.h>
#include <string>

// "Control Panel\Desktop" of the current user (empty account) or of the named account's
// hive below HKEY_USERS; a closed key when it cannot be opened.
TRegKey OpenDesktopKey(const std::string& accountName, REGSAM access);

// The platform identifier defaults to the running system's; tests pass another.
std::string GetScreenSaver(const std::string& accountName);
std::string GetScreenSaver(const std::string& accountName, DWORD platformId);
bool SetScreenSaver(const std::string& path, const std::string& accountName);
bool SetScreenSaver(const std::string& path, const std::string& accountName, DWORD platformId);
// Removes the setting (the registry value, or the SYSTEM.INI entry); true when none is left.
bool ClearScreenSaver(const std::string& accountName, DWORD platformId);
