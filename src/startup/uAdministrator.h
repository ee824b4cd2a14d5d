// Whether the process may be treated as an administrator.
#pragma once
#include <windows.h>

// On the NT family: membership of the built-in Administrators group in the process token
// (any attribute), else the system's own membership test. Other platforms: true.
bool IsAdministrator();
bool IsAdministrator(DWORD platformId);
// Whether the process already runs with full administrator rights: on 6.0 and later the
// token's elevation (an administrator's filtered token does not count); on systems without
// elevation, IsAdministrator.
bool IsElevated();
