// The operating-system version, read once when first asked.
#pragma once
#include <windows.h>

struct TWindowsVersion {
    DWORD Major = 0;
    DWORD Minor = 0;
    DWORD Platform = 0;  // VER_PLATFORM_WIN32_NT (2) on the NT family
};

const TWindowsVersion& WindowsVersion();

// True on that Windows version or a later one.
bool CheckWin32Version(DWORD major, DWORD minor = 0);
