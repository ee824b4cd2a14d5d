// Whether the process may be treated as an administrator.
#pragma once
#include <windows.h>

// On the NT family: membership of the built-in Administrators group in the process token
// (any attribute), else the system's own membership test. Other platforms: true.
bool IsAdministrator();
bool IsAdministrator(DWORD platformId);
