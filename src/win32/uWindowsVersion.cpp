#include "win32/uWindowsVersion.h"

const TWindowsVersion& WindowsVersion() {
    static const TWindowsVersion version = [] {
        TWindowsVersion v;
        OSVERSIONINFOA info = {};
        info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
        if (GetVersionExA(&info)) {
#pragma GCC diagnostic pop
            v.Major = info.dwMajorVersion;
            v.Minor = info.dwMinorVersion;
            v.Platform = info.dwPlatformId;
        }
        return v;
    }();
    return version;
}

bool CheckWin32Version(DWORD major, DWORD minor) {
    const TWindowsVersion& v = WindowsVersion();
    return v.Major > major || (v.Major == major && v.Minor >= minor);
}
